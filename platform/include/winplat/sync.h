#pragma once
// Machine-wide synchronisation: named mutexes and the shared block of 32-bit fields.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace winplat {

// A mutex shared by every process on the machine root, taken again by its owner
// thread without blocking, waited on without time-out, and freed by the kernel
// when its holder dies. Two objects of one name in one process share one lock.
// The lock is never inherited: a child made by fork or exec does not hold it
// and does not keep it alive after its holder died. The constructor throws
// std::system_error when the machine root cannot hold the lock's file.
class NamedMutex {
 public:
  explicit NamedMutex(const std::string& name);
  ~NamedMutex();
  NamedMutex(const NamedMutex&) = delete;
  NamedMutex& operator=(const NamedMutex&) = delete;

  void Lock();     // WaitForSingleObject(..., INFINITE)
  bool TryLock();  // WaitForSingleObject(..., 0)
  // ReleaseMutex: false (and nothing changes) when the calling thread does not own it.
  bool Unlock();

  struct State;

 private:
  std::shared_ptr<State> state_;
};

// A lock held by one process of the machine root for the rest of its life:
// a file under the root's host-only state, locked so the kernel releases it
// when the holder ends, however it ends. Programs it starts do not keep it.
enum class MachineLockResult { Held, HeldElsewhere, Unavailable };
MachineLockResult HoldMachineLock(const std::string& name);

// A block of 32-bit fields shared by every process on the machine root: all zero
// when its first user on the machine maps it, kept while any process maps it.
// Throws std::system_error when its files cannot be made or mapped.
class SharedBlock {
 public:
  SharedBlock(const std::string& name, std::size_t fieldCount);
  ~SharedBlock();
  SharedBlock(const SharedBlock&) = delete;
  SharedBlock& operator=(const SharedBlock&) = delete;

  std::size_t FieldCount() const;
  // std::out_of_range for an index at or past FieldCount().
  std::int32_t Get(std::size_t index) const;
  void Set(std::size_t index, std::int32_t value);
  // Interlocked increment and decrement; both return the new value.
  std::int32_t Increment(std::size_t index);
  std::int32_t Decrement(std::size_t index);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace winplat
