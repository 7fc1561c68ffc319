#include "platform/file_replace.h"

#include <cstdint>
#include <new>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/base_path.h"
#include "platform/file_ops.h"

namespace {

constexpr int kNameAttempts = 100;

struct PendingFile {
  ReplaceTarget target;
  std::string temporary;  // the new file, until it is swapped in
  FileHandle file = kNoFile;
  bool swapped = false;       // the target now holds the new file
  std::string old_copy;       // where the old file is kept meanwhile; "" when there is none
  bool renamed_away = false;  // the old file left the target's name for old_copy
};

// Counts the steps of one replacement and fails the chosen ones; and keeps
// the names of the temporary files that could not be removed.
class Steps {
 public:
  Steps(ReplaceFaults* faults, std::vector<std::string>* left_behind)
      : faults_(faults), left_behind_(left_behind) {}
  bool Fails() { return faults_ != nullptr && ++faults_->steps == faults_->fail_step; }
  bool PutBackFails() {
    return faults_ != nullptr && ++faults_->put_back_steps == faults_->fail_put_back_step;
  }
  bool NoExchange() const { return faults_ != nullptr && faults_->no_exchange; }
  bool NoLinks() const { return faults_ != nullptr && faults_->no_links; }
  // Removes a temporary file; one that stays is named for the user.
  void Remove(const std::string& path) {
    const bool refused = faults_ != nullptr && faults_->no_removal;
    if (refused || !RemoveFile(path)) Leave(path);
  }
  void Leave(const std::string& path) {
    // Memory for the name was reserved before the first file was made.
    if (left_behind_->size() < left_behind_->capacity()) left_behind_->push_back(path);
  }

 private:
  ReplaceFaults* faults_;
  std::vector<std::string>* left_behind_;
};

// Two targets that are one file would leave it holding only the last one's
// bytes. Sorted, so that an import of thousands of bases checks quickly.
bool SameFileTwice(const std::vector<PendingFile>& pending) {
  std::set<std::pair<std::uint64_t, std::uint64_t>> files;
  std::set<std::string_view> absent;
  for (const PendingFile& file : pending) {
    const ReplaceTarget& target = file.target;
    const bool added = target.exists
                           ? files.emplace(target.identity.device, target.identity.file).second
                           : absent.insert(target.path).second;
    if (!added) return true;
  }
  return false;
}

// Makes a new file, or with `handle` null an empty placeholder, under the
// first free temporary name from `first_attempt` on.
bool CreateTemporary(const ReplaceTarget& like, int first_attempt, std::string* name,
                     FileHandle* handle, Steps& steps) {
  const std::string directory = DirectoryOf(like.path);
  for (int attempt = first_attempt; attempt < first_attempt + kNameAttempts; ++attempt) {
    *name = TemporaryPath(directory, attempt);
    FileHandle file = kNoFile;
    const FileOpResult result =
        steps.Fails() ? FileOpResult::kFailed : CreateNewFile(*name, like, &file);
    if (result == FileOpResult::kOk) {
      if (handle != nullptr) {
        *handle = file;
      } else if (!CloseFile(file)) {
        steps.Remove(*name);
        break;
      }
      return true;
    }
    if (result != FileOpResult::kNameTaken) break;
  }
  name->clear();
  return false;
}

// Gives the old file a second name, as the exchange would have, where the
// system cannot exchange names: a hard link where it can, otherwise the old
// file is renamed away (so that a kill right after leaves the target absent,
// the old file under the temporary name).
bool KeepOldFile(PendingFile& file, int first_attempt, Steps& steps) {
  const std::string directory = DirectoryOf(file.target.path);
  if (!steps.NoLinks()) {
    for (int attempt = first_attempt; attempt < first_attempt + kNameAttempts; ++attempt) {
      const std::string name = TemporaryPath(directory, attempt);
      const FileOpResult result =
          steps.Fails() ? FileOpResult::kFailed : LinkFile(file.target.path, name);
      if (result == FileOpResult::kOk) {
        file.old_copy = name;
        return true;
      }
      if (result == FileOpResult::kUnsupported) break;
      if (result != FileOpResult::kNameTaken) return false;
    }
  }
  // A placeholder reserves a name that no planted link stands at; the rename
  // then replaces it in one step.
  std::string name;
  if (!CreateTemporary(file.target, first_attempt, &name, nullptr, steps)) return false;
  if (steps.Fails() || !RenameFile(file.target.path, name)) {
    steps.Remove(name);
    return false;
  }
  file.old_copy = name;
  file.renamed_away = true;
  return true;
}

// Puts the new file in the target's place, keeping the old one reachable.
bool SwapIn(PendingFile& file, int spare_attempts, Steps& steps) {
  if (file.target.exists) {
    const FileOpResult exchanged = steps.NoExchange() ? FileOpResult::kUnsupported
                                   : steps.Fails()
                                       ? FileOpResult::kFailed
                                       : ExchangeFiles(file.temporary, file.target.path);
    if (exchanged == FileOpResult::kOk) {
      file.old_copy = file.temporary;  // the temporary name now holds the old file
      file.temporary.clear();
      file.swapped = true;
      return true;
    }
    if (exchanged != FileOpResult::kUnsupported) return false;
    if (!KeepOldFile(file, spare_attempts, steps)) return false;
  }
  if (steps.Fails() || !RenameFile(file.temporary, file.target.path)) {
    if (file.renamed_away) {
      // The target is gone: the old file must come back at once.
      if (!steps.PutBackFails() && RenameFile(file.old_copy, file.target.path)) {
        file.old_copy.clear();
      }
    } else if (!file.old_copy.empty()) {
      steps.Remove(file.old_copy);  // a second link only; the target still holds the file
      file.old_copy.clear();
    }
    return false;
  }
  file.temporary.clear();
  file.swapped = true;
  return true;
}

// Undoes everything: new files not swapped in are removed, swapped ones are
// replaced by their old files again. True when every old file is back.
bool PutBack(std::vector<PendingFile>& pending, Steps& steps) {
  bool all_back = true;
  for (auto file = pending.rbegin(); file != pending.rend(); ++file) {
    if (file->file != kNoFile) CloseFile(file->file);
    if (!file->temporary.empty()) steps.Remove(file->temporary);
    if (!file->swapped) {
      // An old file renamed away whose new one never came keeps its copy.
      if (!file->old_copy.empty()) {
        all_back = false;
        steps.Leave(file->old_copy);
      }
      continue;
    }
    const bool back = !steps.PutBackFails() &&
                      (file->old_copy.empty() ? RemoveFile(file->target.path)
                                              : RenameFile(file->old_copy, file->target.path));
    if (!back) {
      all_back = false;
      if (!file->old_copy.empty()) steps.Leave(file->old_copy);
    }
  }
  return all_back;
}

ReplaceResult Replace(std::span<const FileReplacement> files, std::vector<PendingFile>& pending,
                      Steps& steps) {
  const auto give_up = [&](ReplaceResult result) {
    return PutBack(pending, steps) ? result : ReplaceResult::kPutBackFailed;
  };
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (steps.Fails() || PathHoldsZeroByte(files[i].path) ||
        !InspectTarget(files[i].path, &pending[i].target)) {
      return give_up(ReplaceResult::kCantOpen);
    }
  }
  if (SameFileTwice(pending)) return give_up(ReplaceResult::kCantOpen);
  // Each file starts at its own name, so the files of one replacement do not
  // first try each other's. Each is written and closed before the next is
  // made, so that a replacement of many files holds one open at a time.
  const int count = static_cast<int>(pending.size());
  for (int i = 0; i < count; ++i) {
    if (!CreateTemporary(pending[i].target, i, &pending[i].temporary, &pending[i].file, steps)) {
      return give_up(ReplaceResult::kCantOpen);
    }
    const bool written = !steps.Fails() && WriteToFile(pending[i].file, files[i].contents);
    const bool closed = CloseFile(pending[i].file) && !steps.Fails();
    pending[i].file = kNoFile;
    if (!written || !closed) return give_up(ReplaceResult::kWriteError);
  }
  for (int i = 0; i < count; ++i) {
    if (!SwapIn(pending[i], count + i, steps)) return give_up(ReplaceResult::kWriteError);
  }
  // Every new file is in place: only now may the old ones go.
  for (const PendingFile& file : pending) {
    if (!file.old_copy.empty()) steps.Remove(file.old_copy);
  }
  return ReplaceResult::kOk;
}

}  // namespace

std::string TemporaryPath(const std::string& directory, int attempt) {
  static const std::string tag = ProcessTag();
  return PathInDirectory(directory, ".skedcomp-" + tag + "-" + std::to_string(attempt) + ".tmp");
}

std::string ReplaceFailureText(ReplaceResult result) {
  switch (result) {
    case ReplaceResult::kOk:
      break;
    case ReplaceResult::kCantOpen:
      return "cannot write the files (read-only, not a regular file, two names of one file, or "
             "in a folder that is not writable); nothing was changed";
    case ReplaceResult::kWriteError:
      return "write error; the old files are unchanged";
    case ReplaceResult::kPutBackFailed:
      return "write error, and an old file could not be put back: it is kept beside it as "
             ".skedcomp-*.tmp";
  }
  return {};
}

std::string LeftBehindText(const std::string& path) {
  return "the temporary file " + path +
         " could not be removed (it holds an old or new copy of a file written beside it)";
}

ReplaceResult ReplaceFiles(std::span<const FileReplacement> files,
                           std::vector<std::string>* left_behind) {
  return ReplaceFiles(files, left_behind, nullptr);
}

ReplaceResult ReplaceFiles(std::span<const FileReplacement> files,
                           std::vector<std::string>* left_behind, ReplaceFaults* faults) {
  left_behind->clear();
  std::vector<PendingFile> pending;
  Steps steps(faults, left_behind);
  try {
    // At most two temporary files a target can be left: its new file and its
    // old one. Reserved now, so that naming them never needs memory.
    left_behind->reserve(2 * files.size());
    pending.resize(files.size());
    return Replace(files, pending, steps);
  } catch (const std::bad_alloc&) {
    // Names are built as the work goes on; putting back needs no memory.
    return PutBack(pending, steps) ? ReplaceResult::kWriteError : ReplaceResult::kPutBackFailed;
  }
}
