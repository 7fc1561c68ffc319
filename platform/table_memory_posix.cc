#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

#include "platform/table_memory.h"

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23  // Linux 5.14; older kernels refuse it, harmlessly
#endif

namespace {

// Aligned to its own size, the block starts and ends on huge-page boundaries
// and so can be mapped as a single huge page. Some loaders (valgrind's, older
// kernels') place it off that alignment; it then takes small pages like any
// other memory.
alignas(kTableMemorySize) unsigned char block[kTableMemorySize];

}  // namespace

void* TableMemory() { return block; }

void PrefaultTableMemory(std::size_t used) {
  const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  const auto first = reinterpret_cast<std::uintptr_t>(block);
  // A fresh page costs a fault and often a trip to a hypervisor; one huge page
  // in place of hundreds of small ones saves most of that. Where transparent
  // huge pages are off this changes nothing and small pages are mapped below.
  if (first % kTableMemorySize == 0) ::madvise(block, kTableMemorySize, MADV_HUGEPAGE);
  // Only the pages in use: a huge page, where granted, maps the rest with them.
  const auto start = (first + page - 1) / page * page;
  const auto end = (first + used) / page * page;
  if (end > start) ::madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE);
}
