#include "platform/read_version.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>
#include <vector>

#include "platform/base_lock.h"
#include "platform/file_ops.h"
#include "platform/our_files.h"
#include "platform/replace_record.h"

namespace {

struct FileState {
  bool link = false;  // reached through a link: its record is beside `real`
  std::string real;
  bool settled = false;  // taken as a committed record's new file
  // A committed identity found nowhere: in this attempt, in the one before,
  // and in two in a row, when the record is none of a writer's at work (a
  // writer's new file is always at its target or beside it) and is ignored.
  std::optional<FileIdentity> nowhere;
  std::optional<FileIdentity> nowhere_before;
  std::optional<FileIdentity> ignored;
};

const std::string& RealOf(const VersionedFile& file, const FileState& state) {
  return state.link ? state.real : file.path;
}

bool Opened(const VersionedFile& file) { return file.result != ReadFileResult::kCantOpen; }

void Read(VersionedFile& file, const std::string& path, bool no_follow) {
  file.result = ReadRegularFile(path, file.limit, static_cast<std::size_t>(-1), file.buffer,
                                file.length, file.stamp, no_follow);
}

// Takes the new file a committed record names for `file`, from its target
// as read or from beside it.
void TakeCommitted(VersionedFile& file, FileState& state, const BaseKey& key,
                   const FileIdentity& wanted) {
  if (Opened(file) && file.stamp->identity == wanted) {
    state.settled = true;
    return;
  }
  Read(file, NewFilePath(key, RealOf(file, state)), true);
  state.settled = Opened(file) && file.stamp->identity == wanted;
  if (!state.settled) state.nowhere = wanted;
}

// Whether the name of `file` still holds what was read from it; a link seen
// for the first time is followed and the file read again.
bool StillThere(const VersionedFile& file, FileState& state) {
  FileStamp now;
  bool link = false;
  if (state.link) return StampOfPath(file.path, &now) && Opened(file) && now == *file.stamp;
  if (!LinkStampOfPath(file.path, &now, &link)) return !Opened(file);
  if (link) {
    state.link = RealPathOf(file.path, &state.real);
    return false;
  }
  // A missing or unreadable file is reported as such by the caller.
  return !Opened(file) || now == *file.stamp;
}

// One attempt: true when what was read is one version.
bool Attempt(std::span<VersionedFile> files, std::vector<FileState>& states) {
  for (std::size_t i = 0; i < files.size(); ++i) {
    states[i].settled = false;
    states[i].nowhere_before = states[i].nowhere;
    states[i].nowhere.reset();
    Read(files[i], files[i].path, false);
  }
  std::optional<BaseKey> last_key;
  Record record;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string& real = RealOf(files[i], states[i]);
    const BaseKey key = BaseKeyOf(real);
    if (!last_key.has_value() || !SameBase(*last_key, key)) record = ReadRecord(key);
    last_key = key;
    const std::optional<FileIdentity> wanted = CommittedIdentity(record, FileNameOf(real));
    if (wanted.has_value() && wanted != states[i].ignored) {
      TakeCommitted(files[i], states[i], key, *wanted);
    }
  }
  bool one_version = true;
  for (std::size_t i = 0; i < files.size(); ++i) {
    FileState& state = states[i];
    if (state.nowhere.has_value()) {
      if (state.nowhere == state.nowhere_before) state.ignored = state.nowhere;
      one_version = false;
    } else if (!state.settled && !StillThere(files[i], state)) {
      one_version = false;
    }
  }
  return one_version;
}

}  // namespace

bool ReadOneVersion(std::span<VersionedFile> files) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + kLockWait;
  std::chrono::milliseconds pause{1};
  std::vector<FileState> states(files.size());
  for (int attempt = 0;; ++attempt) {
    if (Attempt(files, states)) return true;
    // A link just found, or a record's new file missed once, is looked at
    // again at once; a writer at work is given a moment.
    if (attempt == 0) continue;
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::milliseconds{50});
  }
}
