// Where the two programme tables live. Their memory is the platform's
// business: on Linux one block aligned to a huge page that one page fault
// maps whole; elsewhere plain zeroed storage.
#ifndef SKEDCOMP_PLATFORM_TABLE_MEMORY_H_
#define SKEDCOMP_PLATFORM_TABLE_MEMORY_H_

#include <cstddef>

// The size of a huge page on x86-64 and on arm64 with 4 KiB pages.
inline constexpr std::size_t kTableMemorySize = std::size_t{2} << 20;

// The block: kTableMemorySize bytes, zero at start, the same for the whole run.
void* TableMemory();

// Maps the first `used` bytes of the block in advance, where one call is
// cheaper than a page fault for each page as it is first touched. Only a
// speed-up: what the system cannot do it leaves undone, and what the block
// holds stays as it is.
void PrefaultTableMemory(std::size_t used);

#endif  // SKEDCOMP_PLATFORM_TABLE_MEMORY_H_
