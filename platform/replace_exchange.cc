#include "platform/replace_exchange.h"

#include "platform/file_ops.h"

namespace {

// Gives the old file a second name, as the exchange would have: a hard link
// where the system has them, otherwise the old file is renamed away (so
// that a kill right after leaves the target absent, the old file under its
// ".old" name, and the record to finish the job).
bool KeepOldFile(const std::string& name, Exchange* file) {
  FileIdentity found;
  // Whatever a stopped run left there, or a link planted there, goes.
  if (Ops().identity_of_path(name, &found, nullptr)) Ops().remove_file(name);
  const FileOpResult linked = Ops().link_file(file->target, name);
  if (linked == FileOpResult::kOk) {
    file->old_copy = name;
    return true;
  }
  // A rename replaces whatever stands at the name, a link too, in one step.
  if (linked != FileOpResult::kUnsupported || !Ops().rename_file(file->target, name)) {
    return false;
  }
  file->old_copy = name;
  file->renamed_away = true;
  return true;
}

}  // namespace

void RemoveOurs(const std::string& path, std::vector<std::string>* left) {
  if (!Ops().remove_file(path) && left->size() < left->capacity()) left->push_back(path);
}

bool SwapIn(const std::string& old_name, Exchange* file, std::vector<std::string>* left) {
  if (file->target_exists) {
    const FileOpResult exchanged = Ops().exchange_files(file->temporary, file->target);
    if (exchanged == FileOpResult::kOk) {
      file->old_copy = file->temporary;  // the temporary name now holds the old file
      file->temporary.clear();
      file->swapped = true;
      return true;
    }
    if (exchanged != FileOpResult::kUnsupported || !KeepOldFile(old_name, file)) return false;
  }
  if (Ops().rename_file(file->temporary, file->target)) {
    file->temporary.clear();
    file->swapped = true;
    return true;
  }
  if (file->renamed_away) {
    // The target is gone: the old file must come back at once.
    if (Ops().rename_file(file->old_copy, file->target)) file->old_copy.clear();
  } else if (!file->old_copy.empty()) {
    RemoveOurs(file->old_copy, left);  // a second link only; the target still holds the file
    file->old_copy.clear();
  }
  return false;
}

bool SwapBack(Exchange* file, std::vector<std::string>* left) {
  if (!file->temporary.empty()) RemoveOurs(file->temporary, left);
  const bool back = !file->swapped           ? file->old_copy.empty()
                    : file->old_copy.empty() ? Ops().remove_file(file->target)
                                             : Ops().rename_file(file->old_copy, file->target);
  // An old file renamed away whose new one never came keeps its copy.
  if (!back && !file->old_copy.empty() && left->size() < left->capacity())
    left->push_back(file->old_copy);
  return back;
}
