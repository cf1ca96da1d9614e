#pragma once
// An allocator for large tables that are read at random: a table of a huge page or more is
// mapped on its own, aligned to huge pages, and the kernel is asked to back it with them. With
// ordinary pages nearly every lookup in tables of megabytes also misses the cache of address
// translations; with huge pages a few entries of it cover them all. Smaller tables are allocated
// as usual.
#include <sys/mman.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

namespace huge_pages {

inline constexpr size_t kPage = size_t(2) << 20;

inline size_t Rounded(size_t bytes) {
  return (bytes + kPage - 1) & ~(kPage - 1);
}

// Whole huge pages for bytes (at least kPage), aligned to them.
inline void* Map(size_t bytes) {
  const size_t size = Rounded(bytes);
  // Mapped a page larger, so that an aligned run lies within; the rest is given back.
  void* mapped =
      mmap(nullptr, size + kPage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) throw std::bad_alloc();
  const auto start = reinterpret_cast<uintptr_t>(mapped);
  const uintptr_t aligned = (start + kPage - 1) & ~(kPage - 1);
  if (aligned > start) munmap(mapped, aligned - start);
  if (const size_t after = start + size + kPage - (aligned + size))
    munmap(reinterpret_cast<void*>(aligned + size), after);
  void* table = reinterpret_cast<void*>(aligned);
#ifdef MADV_HUGEPAGE
  madvise(table, size, MADV_HUGEPAGE);  // only advice: without huge pages the table still works
#endif
  return table;
}

inline void Unmap(void* table, size_t bytes) {
  munmap(table, Rounded(bytes));
}

}  // namespace huge_pages

template <typename T>
struct THugePageAllocator {
  using value_type = T;

  THugePageAllocator() = default;
  template <typename U>
  THugePageAllocator(const THugePageAllocator<U>&) {}

  T* allocate(size_t n) {
    if (n * sizeof(T) < huge_pages::kPage) return std::allocator<T>().allocate(n);
    return static_cast<T*>(huge_pages::Map(n * sizeof(T)));
  }
  void deallocate(T* p, size_t n) {
    if (n * sizeof(T) < huge_pages::kPage)
      std::allocator<T>().deallocate(p, n);
    else
      huge_pages::Unmap(p, n * sizeof(T));
  }
  template <typename U>
  bool operator==(const THugePageAllocator<U>&) const {
    return true;
  }
};
