// Bases read now and confirmed later, all together, so that a run that reads
// many bases of a folder costs little more than opening and reading their
// files. It is the check of platform/read_version.h (the record, then the
// names), made once a folder instead of once a base:
// - each file is read whole and stays open until the confirmation, so that
//   no other file can take its number meanwhile;
// - the confirmation lists each folder for records: a record of a base read
//   means a writer at work, or one stopped, and nothing is confirmed;
// - then lists it again: each name must still hold, as a plain file, the
//   very file read from it.
// A batch not confirmed is read again, base by base with ReadOneVersion, by
// its caller. Only where folder listings give file numbers (Linux) does
// anything go into a batch.
#ifndef SKEDCOMP_PLATFORM_READ_BATCH_H_
#define SKEDCOMP_PLATFORM_READ_BATCH_H_

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "platform/file_ops.h"
#include "platform/read_version.h"

// The most files a batch holds open, and the most entries a folder may have
// for its listing to confirm reads (a larger one has its bases read again).
inline constexpr std::size_t kMaxHeldFiles = 1024;
inline constexpr std::size_t kMaxListedEntries = std::size_t{1} << 16;

struct ReadBatch {
  struct File {
    std::string path;
    FileIdentity identity;
    FileHandle handle = kNoFile;
  };
  std::vector<File> files;
};

// Reads `files` (one base's) into `batch`, each whole, and true; false, with
// nothing of them held, when they cannot all be read so (one missing,
// unreadable or a link, or the batch full): the caller then reads them with
// ReadOneVersion.
bool ReadIntoBatch(std::span<VersionedFile> files, ReadBatch* batch);

// True when every base read into `batch` was one version as it was read.
// Lets go of every file, and empties the batch.
bool ConfirmBatch(ReadBatch* batch);

#endif  // SKEDCOMP_PLATFORM_READ_BATCH_H_
