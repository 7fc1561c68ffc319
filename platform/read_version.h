// Reading a base's files as one version, old or new, never mixed, while
// writing nothing at all: no lock, no lock file, no repair. So bases on a
// read-only medium, in another user's folder or shared between users read
// as the old tool read them.
//
// What a reader relies on (the writer's side is platform/file_replace.h):
// - A writer makes its record before its first new file and commits it
//   (with each new file's identity) before it touches any target; it removes
//   the record only after the last target holds its new file, or after it
//   put every old file back. So while the targets are mixed, a committed
//   record stands beside them, and every new file it names is either at its
//   target or still beside it at its ".new" name.
// - So a reader reads the files, then the record, then looks at the names
//   again. With a committed record it takes each file the record names
//   (from the target, or else from its ".new" file), checked by identity:
//   a committed new file is never written again. Without one, it takes what
//   it read only where every name still holds the very file it read (same
//   identity, size and times); otherwise a writer changed the base under it
//   and it reads again, for up to the lock wait.
// - A base reached through a symbolic link has its record beside the file
//   the link leads to.
#ifndef SKEDCOMP_PLATFORM_READ_VERSION_H_
#define SKEDCOMP_PLATFORM_READ_VERSION_H_

#include <cstddef>
#include <span>
#include <string>

#include "platform/read_file.h"

// One file of a base to read: up to `limit` bytes into `*buffer` (which
// only grows; its first `*length` bytes are the file's), as ReadFileInto
// reads it, with its stamp.
struct VersionedFile {
  std::string path;
  std::size_t limit = 0;
  std::string* buffer = nullptr;
  std::size_t* length = nullptr;
  FileStamp* stamp = nullptr;
  ReadFileResult result = ReadFileResult::kCantOpen;
};

// Reads every file of `files` (one base's) as one version. False when
// writers kept changing the base for the whole lock wait; each file's
// `result` says how its read went.
bool ReadOneVersion(std::span<VersionedFile> files);

#endif  // SKEDCOMP_PLATFORM_READ_VERSION_H_
