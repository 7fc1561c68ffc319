#include "platform/base_lock.h"

#include <algorithm>
#include <map>
#include <thread>
#include <utility>

namespace {

void (*wait_notice)(const std::string&) = nullptr;

// The bytes this process holds: the system would let one open file lock a
// byte again (and one release free it for all), so a second holder in this
// process is refused here instead.
std::map<std::pair<FileHandle, std::uint64_t>, int> held_here;

// The lock file of each folder this process has locked in, kept open (by
// the folder's name, and by the file's identity, so that one folder however
// spelt has one), up to a number: then those that hold no lock are closed.
struct LockFile {
  FileHandle file = kNoFile;
  LockFileOpen why = LockFileOpen::kOk;  // why there is none
};
constexpr std::size_t kMostOpenLockFiles = 64;
std::map<std::string, LockFile> lock_files_by_name;
std::vector<std::pair<FileIdentity, FileHandle>> lock_files_by_identity;

bool HoldsLocks(FileHandle file) {
  const auto first = held_here.lower_bound({file, 0});
  return first != held_here.end() && first->first.first == file;
}

void CloseIdleLockFiles() {
  std::erase_if(lock_files_by_name,
                [](const auto& entry) { return !HoldsLocks(entry.second.file); });
  std::erase_if(lock_files_by_identity, [](const auto& entry) {
    if (HoldsLocks(entry.second)) return false;
    Ops().close_file(entry.second);
    return true;
  });
}

LockFile LockFileOf(const std::string& directory) {
  if (const auto known = lock_files_by_name.find(directory); known != lock_files_by_name.end()) {
    return known->second;
  }
  if (lock_files_by_name.size() >= kMostOpenLockFiles) CloseIdleLockFiles();
  LockFile lock;
  lock.why = Ops().open_lock_file(LockFilePath(directory), &lock.file);
  FileIdentity identity;
  if (lock.why == LockFileOpen::kOk && Ops().identity_of_file(lock.file, &identity)) {
    const auto same = std::find_if(lock_files_by_identity.begin(), lock_files_by_identity.end(),
                                   [&](const auto& entry) { return entry.first == identity; });
    if (same != lock_files_by_identity.end()) {
      Ops().close_file(lock.file);
      lock.file = same->second;
    } else {
      lock_files_by_identity.emplace_back(identity, lock.file);
    }
  } else if (lock.why == LockFileOpen::kOk) {
    Ops().close_file(lock.file);  // a lock file whose identity is unknown cannot be shared safely
    lock = {kNoFile, LockFileOpen::kFailed};
  }
  // A lock file that could not be had is tried again by the next run only.
  if (lock.file != kNoFile) lock_files_by_name.emplace(directory, lock);
  return lock;
}

enum class Taken { kTaken, kBusy, kUnusable };

Taken LockByte(const std::pair<FileHandle, std::uint64_t>& byte) {
  if (held_here.contains(byte)) return Taken::kBusy;
  switch (Ops().try_lock_bytes(byte.first, byte.second, 1, true)) {
    case LockAttempt::kTaken:
      held_here[byte] = 1;
      return Taken::kTaken;
    case LockAttempt::kBusy:
      return Taken::kBusy;
    case LockAttempt::kFailed:
      break;
  }
  return Taken::kUnusable;
}

// One attempt at every lock; the index of a key held by another run (or
// whose lock file is unusable, then `*unusable` says why), or keys.size()
// when all are taken.
std::size_t LockAll(std::span<const BaseKey> keys, HeldLocks* held, LockTrouble* trouble) {
  std::vector<std::pair<std::pair<FileHandle, std::uint64_t>, std::size_t>> bytes;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const LockFile lock = LockFileOf(keys[i].directory);
    if (lock.file == kNoFile) {
      ReleaseLocks(held);
      *trouble = {keys[i].name, LockFilePath(keys[i].directory), lock.why};
      return i;
    }
    bytes.push_back({{lock.file, keys[i].hash}, i});
  }
  // Each byte once, in one order for every run.
  std::sort(bytes.begin(), bytes.end());
  for (std::size_t b = 0; b < bytes.size(); ++b) {
    if (b > 0 && bytes[b].first == bytes[b - 1].first) continue;
    const Taken taken = LockByte(bytes[b].first);
    if (taken != Taken::kTaken) {
      ReleaseLocks(held);
      const BaseKey& key = keys[bytes[b].second];
      *trouble = {key.name, {}, LockFileOpen::kOk};
      if (taken == Taken::kUnusable) {
        *trouble = {key.name, LockFilePath(key.directory), LockFileOpen::kNotWritable};
      }
      return bytes[b].second;
    }
    held->bytes.push_back(bytes[b].first);
  }
  return keys.size();
}

}  // namespace

HeldLocks::~HeldLocks() { ReleaseLocks(this); }

void ReleaseLocks(HeldLocks* held) {
  for (const auto& byte : held->bytes) {
    if (held_here.erase(byte) > 0) Ops().unlock_bytes(byte.first, byte.second, 1);
  }
  held->bytes.clear();
}

LockWait TakeLocks(std::span<const BaseKey> keys, std::chrono::milliseconds wait, HeldLocks* held,
                   LockTrouble* trouble) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + wait;
  std::chrono::milliseconds pause{2};
  bool told = false;
  for (;;) {
    const std::size_t held_by_other = LockAll(keys, held, trouble);
    if (held_by_other == keys.size()) return LockWait::kTaken;
    if (!trouble->lock_file.empty()) return LockWait::kUnusable;
    if (Clock::now() >= deadline) return LockWait::kTimedOut;
    if (!told && wait_notice != nullptr) {
      const auto seconds = std::chrono::ceil<std::chrono::seconds>(wait).count();
      wait_notice("waiting up to " + std::to_string(seconds) + " s for another run that is using " +
                  keys[held_by_other].name);
    }
    told = true;
    std::this_thread::sleep_for(std::min(
        pause, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()) +
                   std::chrono::milliseconds{1}));
    pause = std::min(pause * 2, std::chrono::milliseconds{100});
  }
}

bool TryTakeLock(const BaseKey& key, HeldLocks* held) {
  HeldLocks mine;
  LockTrouble trouble;
  if (LockAll(std::span(&key, 1), &mine, &trouble) != 1) return false;
  held->bytes.insert(held->bytes.end(), mine.bytes.begin(), mine.bytes.end());
  mine.bytes.clear();
  return true;
}

std::string LockTroubleText(const LockTrouble& trouble) {
  const char* what = trouble.why == LockFileOpen::kNotRegular
                         ? "is not a plain file (a link, folder or device stands there)"
                         : "cannot be locked for writing by this user";
  return "the lock file " + trouble.lock_file + " " + what +
         "; nothing was changed (remove it when no run is under way, or make it a file every "
         "writer of the folder may write)";
}

void SetLockWaitNotice(void (*notice)(const std::string& line)) { wait_notice = notice; }
