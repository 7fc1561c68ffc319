// Mending what a stopped writer left, done only by a writer of ours holding
// the base's lock: a committed replacement is finished (each new file still
// beside its target is put in place), an uncommitted one undone (no target
// was touched), and every file of ours the stopped run left is removed.
// Only a record's own base's files are followed, and only new files that
// are regular files with the identity the record gives them; anything else
// at our names is left alone. Readers never mend: they read the version the
// record says is the true one (platform/read_version.h).
#ifndef SKEDCOMP_PLATFORM_REPLACE_REPAIR_H_
#define SKEDCOMP_PLATFORM_REPLACE_REPAIR_H_

#include <string>
#include <vector>

#include "platform/our_files.h"

enum class Repair { kNothing, kDone, kFailed };

// With the base's lock held exclusively: mends what a stopped run left of
// `key`'s base, and notes it.
Repair RepairBase(const BaseKey& key);

// Mends, once a run, every base in `directory` whose record a stopped run
// left and whose lock is free: a run that was stopped while it replaced many
// bases leaves no record for later. Only writers, in folders they write.
void SweepDirectory(const std::string& directory);

// What the runs of this process mended that stopped runs left, one line
// each ("finished the replacement of guide that a stopped run left"), since
// it was last asked. An entry point tells the user.
std::vector<std::string> TakeRepairNotes();

// What the user is told of a temporary file left behind, one line without its
// line feed: "the temporary file PATH could not be removed; it holds ...".
std::string LeftBehindText(const std::string& path);

#endif  // SKEDCOMP_PLATFORM_REPLACE_REPAIR_H_
