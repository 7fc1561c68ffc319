// Asking the system to map a block of memory up front.
#ifndef SKEDCOMP_PLATFORM_PREFAULT_H_
#define SKEDCOMP_PLATFORM_PREFAULT_H_

#include <cstddef>

// The huge-page size of x86-64 and of arm64 with 4 KiB pages.
inline constexpr std::size_t kHugePageSize = std::size_t{2} << 20;

// Maps the whole pages inside [begin, begin + size) for writing in one call,
// instead of one page fault at a time as they are first touched. `begin`
// starts a block of the caller's own, `block_size` (at least `size`) bytes
// long: when that block starts and ends on huge-page boundaries it is asked
// for as huge pages first, so that one fault maps it all. Only a speed-up:
// what the system cannot do, it leaves undone.
void PrefaultMemory(void* begin, std::size_t size, std::size_t block_size);

#endif  // SKEDCOMP_PLATFORM_PREFAULT_H_
