#include "platform/table_memory.h"

namespace {

// Plain zeroed storage: a PE image cannot align a section to 2 MiB, and
// Windows maps large pages only for a privileged user.
alignas(64) unsigned char block[kTableMemorySize];

}  // namespace

void* TableMemory() { return block; }

void PrefaultTableMemory(std::size_t) {}
