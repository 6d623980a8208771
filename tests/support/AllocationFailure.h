#pragma once

#include <cstddef>

// Allocation-failure injection for tests.  Linking AllocationFailure.cpp into a
// test program replaces the global operator new and new[] (throwing and
// nothrow forms) with ones that count allocations and, while a
// CAllocationFailure is alive, make the n-th allocation from its start and every
// later one fail (std::bad_alloc, or nullptr for the nothrow forms).  Failing
// every later allocation too means that a handler which swallows one failure
// and goes on cannot hide the out-of-memory from the caller.
//
// Typical loop: for n = 1, 2, ... run the operation under CAllocationFailure(n);
// while Fired() is true the operation must report its out-of-memory result and
// leave its object usable; the first n at which nothing fired is the run that
// succeeds.  AllocationFailureLoop does the counting.
class CAllocationFailure {
public:
  // nth = 0 fails nothing and only watches (see LargestRequest).
  explicit CAllocationFailure(std::size_t nth);
  ~CAllocationFailure();
  CAllocationFailure(const CAllocationFailure&) = delete;
  CAllocationFailure& operator=(const CAllocationFailure&) = delete;

  // True once an allocation has been refused.
  bool Fired() const;
  // Stops refusing before the object goes (for checks made inside the scope).
  void Stop();
  // The largest size asked for since the object was made: a reader of
  // outside input must refuse a claimed size before it allocates it.
  std::size_t LargestRequest() const;
};

// Calls attempt(n) for n = 1, 2, ... until it returns false (no allocation was
// refused); attempt arms a CAllocationFailure(n) around the operation and
// returns its Fired().  Returns the number of runs with a failure, so a test can
// check that the loop reached the allocations at all.  Gives up after `limit`.
template <class Attempt>
std::size_t AllocationFailureLoop(Attempt attempt, std::size_t limit = 100000) {
  std::size_t n = 1;
  while (n <= limit && attempt(n)) ++n;
  return n - 1;
}
