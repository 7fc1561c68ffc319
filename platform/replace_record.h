// The record of a replacement under way, beside each base it changes:
// written before the first new file is made, with the names of the base's
// targets; then, once every new file is whole, "commit" and each new file's
// identity are added, and only then is any target touched. So a stopped
// run's record says which version of the base is the true one: without its
// commit the old (no target was touched), with it the new (each target
// holds its new file, or the new file still waits beside it).
//
//   skedcomp replacement\n
//   COUNT\n
//   LENGTH NAME\n            one per target: its name in the folder
//   commit\n                 the rest only once every new file is whole
//   DEVICE FILE\n            one per target: its new file's identity
//   end\n
//
// A record is read only as a regular file of bounded size; it names only
// files of its own base, in its own folder, with an extension a writer of
// ours replaces. Anything else in it makes it torn: nothing it says is
// followed.
#ifndef SKEDCOMP_PLATFORM_REPLACE_RECORD_H_
#define SKEDCOMP_PLATFORM_REPLACE_RECORD_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_ops.h"
#include "platform/our_files.h"

struct Record {
  // kAbsent: no record; kForeign: something at the record's name that is no
  // regular file, which is left alone; kUnreadable: a file there that could
  // not be read, so nothing can be said of it.
  enum State { kAbsent, kForeign, kUnreadable, kTorn, kPrepared, kCommitted } state = kAbsent;
  std::vector<std::string> names;  // file names in the base's folder
  std::vector<FileIdentity> identities;
};

std::string RecordStart(const std::vector<std::string>& names);
std::string RecordCommit(const std::vector<FileIdentity>& identities);
Record ParseRecord(std::string_view text, const BaseKey& key);

// The record of `key`'s base as it is now, read through Ops().
Record ReadRecord(const BaseKey& key);

// The identity the committed `record` gives the new file of the target
// `name`; none where it names no such file or is not committed.
std::optional<FileIdentity> CommittedIdentity(const Record& record, const std::string& name);

#endif  // SKEDCOMP_PLATFORM_REPLACE_RECORD_H_
