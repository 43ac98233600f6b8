// allocation_counter.cpp — the program's operator new and delete, counting.
// Every form is replaced (nothrow and aligned among them), so that memory
// always comes from and goes back to malloc, whichever form took it (on
// Windows, whose C library has no aligned_alloc, the aligned forms use
// _aligned_malloc and give back with _aligned_free).
#include "allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>
#if defined(_WIN32)
#include <malloc.h>
#endif

namespace {

std::atomic<long> allocations{0};

void* Allocate(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}

#if defined(_WIN32)
void* AlignedMalloc(std::size_t alignment, std::size_t size) {
  return _aligned_malloc(size, alignment);
}
void FreeAligned(void* p) {
  _aligned_free(p);
}
#else
void* AlignedMalloc(std::size_t alignment, std::size_t size) {
  return std::aligned_alloc(alignment, size);
}
void FreeAligned(void* p) {
  std::free(p);
}
#endif

void* AllocateAligned(std::size_t size, std::align_val_t align) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  const auto alignment = static_cast<std::size_t>(align);
  // aligned_alloc wants a multiple of the alignment.
  const std::size_t rounded = (size + alignment - 1) / alignment * alignment;
  if (void* p = AlignedMalloc(alignment, rounded == 0 ? alignment : rounded)) return p;
  throw std::bad_alloc();
}

// The nothrow forms: the same allocation, null where it fails.
template <class Allocation>
void* OrNull(Allocation allocation) noexcept {
  try {
    return allocation();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace

namespace test_support {

long AllocationCount() {
  return allocations.load(std::memory_order_relaxed);
}

}  // namespace test_support

void* operator new(std::size_t size) {
  return Allocate(size);
}
void* operator new[](std::size_t size) {
  return Allocate(size);
}
void* operator new(std::size_t size, std::align_val_t align) {
  return AllocateAligned(size, align);
}
void* operator new[](std::size_t size, std::align_val_t align) {
  return AllocateAligned(size, align);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return OrNull([=] { return Allocate(size); });
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return OrNull([=] { return Allocate(size); });
}
void* operator new(std::size_t size, std::align_val_t align, const std::nothrow_t&) noexcept {
  return OrNull([=] { return AllocateAligned(size, align); });
}
void* operator new[](std::size_t size, std::align_val_t align, const std::nothrow_t&) noexcept {
  return OrNull([=] { return AllocateAligned(size, align); });
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
  FreeAligned(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
  FreeAligned(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
  FreeAligned(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
  FreeAligned(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
  std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
  std::free(p);
}
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept {
  FreeAligned(p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept {
  FreeAligned(p);
}
