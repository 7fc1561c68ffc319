#include "platform/replace_repair.h"

#include <set>
#include <utility>

#include "platform/base_lock.h"
#include "platform/file_ops.h"
#include "platform/replace_record.h"

namespace {

std::vector<std::string> repair_notes;
std::set<std::string> swept_directories;

// Whether a regular file stands at `path` (a link or folder is none of ours).
bool OursAt(const std::string& path, FileIdentity* identity) {
  bool regular = false;
  return Ops().identity_of_path(path, identity, &regular) && regular;
}

}  // namespace

Repair RepairBase(const BaseKey& key) {
  const Record record = ReadRecord(key);
  if (record.state == Record::kAbsent || record.state == Record::kForeign) return Repair::kNothing;
  if (record.state == Record::kUnreadable) return Repair::kFailed;
  const std::string record_path = RecordPath(key);
  std::vector<std::string> targets;
  for (const std::string& name : record.names) {
    targets.push_back(PathInDirectory(key.directory, name));
  }
  for (std::size_t i = 0; record.state == Record::kCommitted && i < targets.size(); ++i) {
    const std::string new_file = NewFilePath(key, targets[i]);
    FileIdentity found;
    if (OursAt(new_file, &found) && found == record.identities[i] &&
        !Ops().rename_file(new_file, targets[i])) {
      return Repair::kFailed;
    }
  }
  // What is left of ours now holds no file the base needs: old files, new
  // ones never put in place.
  std::vector<std::string> left;
  for (const std::string& target : targets) {
    for (const std::string& ours : {NewFilePath(key, target), OldFilePath(key, target)}) {
      FileIdentity found;
      if (OursAt(ours, &found) && !Ops().remove_file(ours)) left.push_back(ours);
    }
  }
  if (!Ops().remove_file(record_path)) left.push_back(record_path);
  // A base found by its record alone is named by it.
  const std::string shown = !key.name.empty() ? key.name
                            : targets.empty() ? record_path
                                              : BaseKeyOf(targets[0]).name;
  std::string note = (record.state == Record::kCommitted ? "finished the replacement of "
                                                         : "undid the unfinished replacement of ") +
                     shown + " that a stopped run left";
  if (!left.empty()) note += "; " + LeftBehindText(left.front());
  repair_notes.push_back(std::move(note));
  return Repair::kDone;
}

void SweepDirectory(const std::string& directory) {
  if (!swept_directories.insert(directory).second) return;
  std::vector<std::string> names;
  if (!Ops().list_directory(directory, kOurPrefix, &names)) return;
  for (const std::string& name : names) {
    const std::optional<BaseKey> key = RecordKeyOf(directory, name);
    HeldLocks held;
    if (key.has_value() && TryTakeLock(*key, &held)) RepairBase(*key);
  }
}

std::vector<std::string> TakeRepairNotes() {
  std::vector<std::string> notes;
  notes.swap(repair_notes);
  return notes;
}

std::string LeftBehindText(const std::string& path) {
  return "the temporary file " + path +
         " could not be removed (it holds an old or new copy of a file written beside it, or "
         "the note of a replacement)";
}
