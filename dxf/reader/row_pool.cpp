// The pool of table storage: one free list per power-of-two size.
#include "row_pool.h"

#include <bit>
#include <mutex>
#include <vector>

namespace kelvane {
namespace {

struct Pool {
  std::mutex lock;
  std::vector<void*> idle[sizeof(std::size_t) * 8];
  std::size_t idleBytes = 0;
};

// Never destroyed: tables in objects that outlive static destruction still
// give their storage back.
Pool& ThePool() {
  static Pool* pool = new Pool;
  return *pool;
}

// The size class of a block: the power of two it is rounded up to.
std::size_t ClassOf(std::size_t bytes) { return static_cast<std::size_t>(std::bit_width(bytes - 1)); }

}  // namespace

void* RowPool::Take(std::size_t bytes) {
  if (!kKeeps || bytes < kSmallest) return ::operator new(bytes);
  std::size_t size = ClassOf(bytes);
  Pool& pool = ThePool();
  {
    std::lock_guard<std::mutex> hold(pool.lock);
    std::vector<void*>& list = pool.idle[size];
    if (!list.empty()) {
      void* block = list.back();
      list.pop_back();
      pool.idleBytes -= std::size_t{1} << size;
      return block;
    }
  }
  return ::operator new(std::size_t{1} << size);
}

void RowPool::Give(void* block, std::size_t bytes) noexcept {
  if (!block) return;
  if (!kKeeps || bytes < kSmallest) return ::operator delete(block);
  std::size_t size = ClassOf(bytes);
  Pool& pool = ThePool();
  {
    std::lock_guard<std::mutex> hold(pool.lock);
    std::size_t whole = std::size_t{1} << size;
    if (pool.idleBytes + whole <= kIdleLimit) {
      try {
        pool.idle[size].push_back(block);
        pool.idleBytes += whole;
        return;
      } catch (const std::bad_alloc&) {
        // no room to list it: it goes back to the heap
      }
    }
  }
  ::operator delete(block);
}

std::size_t RowPool::IdleBytes() {
  Pool& pool = ThePool();
  std::lock_guard<std::mutex> hold(pool.lock);
  return pool.idleBytes;
}

void RowPool::ReleaseIdle() noexcept {
  Pool& pool = ThePool();
  std::lock_guard<std::mutex> hold(pool.lock);
  for (std::vector<void*>& list : pool.idle) {
    for (void* block : list) ::operator delete(block);
    list.clear();
  }
  pool.idleBytes = 0;
}

}  // namespace kelvane
