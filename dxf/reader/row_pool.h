#pragma once
// Storage for the entity tables that the process keeps between drawings.
//
// A drawing's tables grow to hundreds of kilobytes and are dropped when the
// next drawing is read. Handed back to the heap, that memory returns to the
// operating system, and the next read pays a page fault for every page again;
// in this pool the pages stay mapped and the next read reuses them. Blocks are
// kept by power-of-two size; what is idle is bounded (RowPool::kIdleLimit).
#include <cstddef>
#include <new>

namespace kelvane {

class RowPool {
 public:
  // Under the address sanitizer every block goes back to the heap, so that a
  // row used after its table has gone is still caught.
#if defined(__SANITIZE_ADDRESS__)
  static constexpr bool kKeeps = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  static constexpr bool kKeeps = false;
#else
  static constexpr bool kKeeps = true;
#endif
#else
  static constexpr bool kKeeps = true;
#endif
  // Blocks below this size come from the heap as usual: they are not what
  // makes the heap shrink and grow.
  static constexpr std::size_t kSmallest = 4096;
  // At most this many bytes are held idle; blocks beyond go back to the heap.
  static constexpr std::size_t kIdleLimit = std::size_t{64} << 20;

  static void* Take(std::size_t bytes);
  static void Give(void* block, std::size_t bytes) noexcept;
  // Bytes held idle now (for tests).
  static std::size_t IdleBytes();
  // Gives every idle block back to the heap (for tests that start from an empty pool).
  static void ReleaseIdle() noexcept;
};

// A standard allocator over the pool, for the tables' row vectors.
template <class T>
struct RowAllocator {
  using value_type = T;
  RowAllocator() = default;
  template <class U>
  RowAllocator(const RowAllocator<U>&) noexcept {}
  T* allocate(std::size_t n) {
    if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
    return static_cast<T*>(RowPool::Take(n * sizeof(T)));
  }
  void deallocate(T* p, std::size_t n) noexcept { RowPool::Give(p, n * sizeof(T)); }
  template <class U>
  bool operator==(const RowAllocator<U>&) const noexcept {
    return true;
  }
};

}  // namespace kelvane
