// Asking the system to map a block of memory up front.
#ifndef SKEDCOMP_PLATFORM_PREFAULT_H_
#define SKEDCOMP_PLATFORM_PREFAULT_H_

#include <cstddef>

// Maps the whole pages inside [begin, begin + size) for writing in one call,
// instead of one page fault at a time as they are first touched. Only a
// speed-up: where the system cannot, nothing happens.
void PrefaultMemory(void* begin, std::size_t size);

#endif  // SKEDCOMP_PLATFORM_PREFAULT_H_
