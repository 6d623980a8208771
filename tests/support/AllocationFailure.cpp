#include "support/AllocationFailure.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

// Allocations left before the first refused one; 0 while no failure is armed.
std::atomic<std::size_t> g_countdown{0};
std::atomic<bool> g_failing{false};
std::atomic<bool> g_fired{false};
std::atomic<std::size_t> g_largest{0};

bool Refuse() {
  if (g_failing.load(std::memory_order_relaxed)) {
    g_fired.store(true, std::memory_order_relaxed);
    return true;
  }
  std::size_t left = g_countdown.load(std::memory_order_relaxed);
  while (left > 0) {
    if (g_countdown.compare_exchange_weak(left, left - 1, std::memory_order_relaxed)) {
      if (left == 1) {
        g_failing.store(true, std::memory_order_relaxed);
        g_fired.store(true, std::memory_order_relaxed);
        return true;
      }
      return false;
    }
  }
  return false;
}

void* Allocate(std::size_t size) noexcept {
  std::size_t largest = g_largest.load(std::memory_order_relaxed);
  while (size > largest && !g_largest.compare_exchange_weak(largest, size, std::memory_order_relaxed)) {
  }
  if (Refuse()) return nullptr;
  return std::malloc(size == 0 ? 1 : size);
}

}  // namespace

CAllocationFailure::CAllocationFailure(std::size_t nth) {
  g_fired.store(false);
  g_failing.store(false);
  g_largest.store(0);
  g_countdown.store(nth);
}

CAllocationFailure::~CAllocationFailure() { Stop(); }

bool CAllocationFailure::Fired() const { return g_fired.load(); }

std::size_t CAllocationFailure::LargestRequest() const { return g_largest.load(); }

void CAllocationFailure::Stop() {
  g_countdown.store(0);
  g_failing.store(false);
}

void* operator new(std::size_t size) {
  void* p = Allocate(size);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

void* operator new[](std::size_t size) {
  void* p = Allocate(size);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }

void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
