#include "platform/file_replace.h"

#include <new>
#include <vector>

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

// Counts the steps of one replacement and fails the chosen ones.
class Steps {
 public:
  explicit Steps(ReplaceFaults* faults) : faults_(faults) {}
  bool Fails() { return faults_ != nullptr && ++faults_->steps == faults_->fail_step; }
  bool PutBackFails() {
    return faults_ != nullptr && ++faults_->put_back_steps == faults_->fail_put_back_step;
  }
  bool NoExchange() const { return faults_ != nullptr && faults_->no_exchange; }
  bool NoLinks() const { return faults_ != nullptr && faults_->no_links; }

 private:
  ReplaceFaults* faults_;
};

// Two targets that are one file would leave it holding only the last one's bytes.
bool SameFileTwice(const std::vector<PendingFile>& pending) {
  for (std::size_t i = 0; i < pending.size(); ++i) {
    for (std::size_t j = i + 1; j < pending.size(); ++j) {
      const ReplaceTarget& a = pending[i].target;
      const ReplaceTarget& b = pending[j].target;
      if (a.exists && b.exists ? a.identity == b.identity : a.path == b.path) return true;
    }
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
        RemoveFile(*name);
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
    RemoveFile(name);
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
      RemoveFile(file.old_copy);  // a second link only; the target still holds the file
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
    if (!file->temporary.empty()) RemoveFile(file->temporary);
    if (!file->swapped) {
      // An old file renamed away whose new one never came keeps its copy.
      if (!file->old_copy.empty()) all_back = false;
      continue;
    }
    const bool back = !steps.PutBackFails() &&
                      (file->old_copy.empty() ? RemoveFile(file->target.path)
                                              : RenameFile(file->old_copy, file->target.path));
    if (!back) all_back = false;
  }
  return all_back;
}

ReplaceResult Replace(std::span<const FileReplacement> files, std::vector<PendingFile>& pending,
                      Steps& steps) {
  const auto give_up = [&](ReplaceResult result) {
    return PutBack(pending, steps) ? result : ReplaceResult::kPutBackFailed;
  };
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (steps.Fails() || !InspectTarget(files[i].path, &pending[i].target)) {
      return give_up(ReplaceResult::kCantOpen);
    }
  }
  if (SameFileTwice(pending)) return give_up(ReplaceResult::kCantOpen);
  // Each file starts at its own name, so the files of one replacement do not
  // first try each other's.
  const int count = static_cast<int>(pending.size());
  for (int i = 0; i < count; ++i) {
    if (!CreateTemporary(pending[i].target, i, &pending[i].temporary, &pending[i].file, steps)) {
      return give_up(ReplaceResult::kCantOpen);
    }
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
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
    if (!file.old_copy.empty()) RemoveFile(file.old_copy);
  }
  return ReplaceResult::kOk;
}

}  // namespace

std::string TemporaryPath(const std::string& directory, int attempt) {
  static const std::string tag = ProcessTag();
  return PathInDirectory(directory, ".skedcomp-" + tag + "-" + std::to_string(attempt) + ".tmp");
}

ReplaceResult ReplaceFiles(std::span<const FileReplacement> files) {
  return ReplaceFiles(files, nullptr);
}

ReplaceResult ReplaceFiles(std::span<const FileReplacement> files, ReplaceFaults* faults) {
  Steps steps(faults);
  std::vector<PendingFile> pending;
  try {
    pending.resize(files.size());
    return Replace(files, pending, steps);
  } catch (const std::bad_alloc&) {
    // Names are built as the work goes on; putting back needs no memory.
    return PutBack(pending, steps) ? ReplaceResult::kWriteError : ReplaceResult::kPutBackFailed;
  }
}
