#include "tests/faulty_file_ops.h"

namespace {

FileFaults* faults = nullptr;
bool failed_once = false;

const FileOps& System() { return SystemFileOps(); }

// Whether this call fails: counted first.
bool Fails() {
  ++faults->steps;
  if (faults->stop_at != 0 && faults->steps >= faults->stop_at) return true;
  if (faults->steps == faults->fail_step) {
    failed_once = true;
    return true;
  }
  if (failed_once && ++faults->put_back_steps == faults->fail_put_back_step) return true;
  return false;
}

constexpr FileOps kFaulty = {
    [](const std::string& path, std::string* resolved) {
      return !Fails() && System().resolve_link(path, resolved);
    },
    [](const std::string& path, ReplaceTarget* target) {
      return !Fails() && System().inspect_target(path, target);
    },
    [](const std::string& path, const ReplaceTarget& like, FileHandle* file) {
      return Fails() ? FileOpResult::kFailed : System().create_new_file(path, like, file);
    },
    [](FileHandle file, std::string_view bytes) {
      return !Fails() && System().write_to_file(file, bytes);
    },
    // A close that fails still lets the file go, as the system's does.
    [](FileHandle file) { return System().close_file(file) && !Fails(); },
    [](const std::string& first, const std::string& second) {
      if (Fails()) return FileOpResult::kFailed;
      return faults->no_exchange ? FileOpResult::kUnsupported
                                 : System().exchange_files(first, second);
    },
    [](const std::string& existing, const std::string& new_name) {
      if (Fails()) return FileOpResult::kFailed;
      return faults->no_links ? FileOpResult::kUnsupported : System().link_file(existing, new_name);
    },
    [](const std::string& from, const std::string& to) {
      return !Fails() && System().rename_file(from, to);
    },
    [](const std::string& path) {
      return !Fails() && !faults->no_removal && System().remove_file(path);
    },
    [](const std::string& path, FileIdentity* identity, bool* regular) {
      return !Fails() && System().identity_of_path(path, identity, regular);
    },
    [](FileHandle file, FileIdentity* identity) {
      return !Fails() && System().identity_of_file(file, identity);
    },
    [](const std::string& path, FileHandle* file) {
      return Fails() ? FileOpResult::kFailed : System().open_to_append(path, file);
    },
    [](const std::string& path, std::size_t limit, std::string* text) {
      return Fails() ? SmallRead::kFailed : System().read_small_file(path, limit, text);
    },
    [](FileHandle file) { return !Fails() && System().sync_file(file); },
    [](const std::string& directory) { return !Fails() && System().sync_directory(directory); },
    [](const std::string& directory, std::string_view prefix, std::vector<std::string>* names) {
      return !Fails() && System().list_directory(directory, prefix, names);
    },
    [](const std::string& path, FileHandle* file) {
      return Fails() ? LockFileOpen::kFailed : System().open_lock_file(path, file);
    },
    [](FileHandle file, std::uint64_t offset, std::uint64_t length, bool exclusive) {
      return Fails() ? LockAttempt::kFailed
                     : System().try_lock_bytes(file, offset, length, exclusive);
    },
    // Letting a lock go cannot fail.
    [](FileHandle file, std::uint64_t offset, std::uint64_t length) {
      System().unlock_bytes(file, offset, length);
    },
};

}  // namespace

FaultyFileOps::FaultyFileOps(FileFaults* counted) {
  faults = counted;
  failed_once = false;
  UseFileOps(&kFaulty);
}

FaultyFileOps::~FaultyFileOps() {
  UseFileOps(nullptr);
  faults = nullptr;
}
