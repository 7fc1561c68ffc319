#include "platform/prefault.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23  // Linux 5.14; older kernels refuse it, harmlessly
#endif

void PrefaultMemory(void* begin, std::size_t size, std::size_t block_size) {
  const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  const auto first = reinterpret_cast<std::uintptr_t>(begin);
  // A fresh page costs a fault and often a trip to a hypervisor; one huge page
  // in place of hundreds of small ones saves most of that. Where transparent
  // huge pages are off this changes nothing and small pages are mapped below.
  if (first % kHugePageSize == 0 && block_size % kHugePageSize == 0 && block_size >= size)
    ::madvise(begin, block_size, MADV_HUGEPAGE);
  // Only the pages in use: a huge page, where granted, maps the rest with them.
  const auto start = (first + page - 1) / page * page;
  const auto end = (first + size) / page * page;
  if (end > start) ::madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE);
}
