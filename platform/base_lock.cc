#include "platform/base_lock.h"

#include <algorithm>
#include <map>
#include <thread>
#include <utility>

namespace {

void (*wait_notice)(const std::string&) = nullptr;

std::uint64_t Fnv1a(std::string_view bytes) {
  std::uint64_t hash = 0xcbf29ce484222325u;
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3u;
  }
  return hash;
}

// The bytes this process holds, with how many holders and how: the system
// would let one open file lock a byte again (and one release free it for
// all), so a second holder in this process is counted here instead.
struct HeldHere {
  int holders = 0;
  bool exclusive = false;
  bool in_folder = false;  // shared within a folder this process holds whole: no system lock
};
std::map<std::pair<FileHandle, std::uint64_t>, HeldHere> held_here;

// The lock file of each folder this process has locked in, kept open (by
// the folder's name, kNoFile where none could be had, and by the file's
// identity, so that one folder however spelt has one), up to a number:
// then those that hold no lock are closed.
constexpr std::size_t kMostOpenLockFiles = 64;
std::map<std::string, FileHandle> lock_files_by_name;
std::vector<std::pair<FileIdentity, FileHandle>> lock_files_by_identity;

bool HoldsLocks(FileHandle file) {
  const auto first = held_here.lower_bound({file, 0});
  return first != held_here.end() && first->first.first == file;
}

void CloseIdleLockFiles() {
  std::erase_if(lock_files_by_name, [](const auto& entry) { return !HoldsLocks(entry.second); });
  std::erase_if(lock_files_by_identity, [](const auto& entry) {
    if (HoldsLocks(entry.second)) return false;
    CloseFile(entry.second);
    return true;
  });
}

FileHandle LockFileOf(const std::string& directory) {
  if (const auto known = lock_files_by_name.find(directory); known != lock_files_by_name.end()) {
    return known->second;
  }
  if (lock_files_by_name.size() >= kMostOpenLockFiles) CloseIdleLockFiles();
  FileHandle file = OpenLockFile(PathInDirectory(directory, kLockFileName));
  FileIdentity identity;
  if (file != kNoFile && IdentityOfFile(file, &identity)) {
    const auto same = std::find_if(lock_files_by_identity.begin(), lock_files_by_identity.end(),
                                   [&](const auto& entry) { return entry.first == identity; });
    if (same != lock_files_by_identity.end()) {
      CloseFile(file);
      file = same->second;
    } else {
      lock_files_by_identity.emplace_back(identity, file);
    }
  } else if (file != kNoFile) {
    CloseFile(file);  // a lock file whose identity is unknown cannot be shared safely
    file = kNoFile;
  }
  lock_files_by_name.emplace(directory, file);
  return file;
}

// What the system locks for a held byte: the byte, or for kWholeFolder the
// whole range below it.
std::pair<std::uint64_t, std::uint64_t> LockedRange(std::uint64_t byte) {
  return byte == kWholeFolder ? std::pair{std::uint64_t{0}, kWholeFolder}
                              : std::pair{byte, std::uint64_t{1}};
}

bool LockByte(const std::pair<FileHandle, std::uint64_t>& byte, bool exclusive) {
  // Within a folder held whole, a base's lock taken from the system would
  // merge with it (and its release cut a hole in it): a shared one is
  // counted here alone, and an exclusive one cannot be had.
  const bool in_folder =
      byte.second != kWholeFolder && held_here.contains({byte.first, kWholeFolder});
  if (in_folder && exclusive) return false;
  HeldHere& here = held_here[byte];
  if (here.holders > 0) {
    if (exclusive || here.exclusive) return false;
  } else if (in_folder) {
    here.in_folder = true;
  } else if (const auto [offset, length] = LockedRange(byte.second);
             TryLockBytes(byte.first, offset, length, exclusive) == LockAttempt::kBusy) {
    held_here.erase(byte);
    return false;
  }
  // A lock that cannot be had at all (a lock file only readable) guards
  // nothing: the run goes on as where there is no lock file.
  ++here.holders;
  here.exclusive = exclusive;
  return true;
}

// One attempt at every lock; the index of a key held by another run, or
// keys.size() when all are taken.
std::size_t LockAll(std::span<const BaseKey> keys, bool exclusive, HeldLocks* held) {
  std::vector<std::pair<std::pair<FileHandle, std::uint64_t>, std::size_t>> bytes;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const FileHandle file = LockFileOf(keys[i].directory);
    if (file != kNoFile) bytes.push_back({{file, keys[i].hash}, i});
  }
  // Each byte once, in one order for every run.
  std::sort(bytes.begin(), bytes.end());
  for (std::size_t b = 0; b < bytes.size(); ++b) {
    if (b > 0 && bytes[b].first == bytes[b - 1].first) continue;
    if (!LockByte(bytes[b].first, exclusive)) {
      ReleaseLocks(held);
      return bytes[b].second;
    }
    held->bytes.push_back(bytes[b].first);
  }
  return keys.size();
}

}  // namespace

std::string ExtensionOf(const std::string& path) {
  const std::string name = FileNameOf(path);
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? std::string() : name.substr(dot);
}

BaseKey BaseKeyOf(const std::string& path) {
  BaseKey key;
  key.directory = DirectoryOf(path);
  key.name = path.substr(0, path.size() - ExtensionOf(path).size());
  const std::string name = FileNameOf(key.name);
  key.hash = Fnv1a(NameKey(name)) >> 2;
  return key;
}

std::string HashText(std::uint64_t hash) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text(16, '0');
  for (int i = 15; i >= 0; --i, hash >>= 4) text[static_cast<std::size_t>(i)] = kDigits[hash & 15];
  return text;
}

HeldLocks::~HeldLocks() { ReleaseLocks(this); }

void ReleaseLocks(HeldLocks* held) {
  for (const auto& byte : held->bytes) {
    const auto here = held_here.find(byte);
    if (here == held_here.end() || --here->second.holders > 0) continue;
    if (!here->second.in_folder) {
      const auto [offset, length] = LockedRange(byte.second);
      UnlockBytes(byte.first, offset, length);
    }
    held_here.erase(here);
  }
  held->bytes.clear();
}

LockWait TakeLocks(std::span<const BaseKey> keys, bool exclusive, std::chrono::milliseconds wait,
                   HeldLocks* held, std::string* busy) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + wait;
  std::chrono::milliseconds pause{2};
  bool told = false;
  for (;;) {
    const std::size_t held_by_other = LockAll(keys, exclusive, held);
    if (held_by_other == keys.size()) return LockWait::kTaken;
    if (Clock::now() >= deadline) {
      *busy = keys[held_by_other].name;
      return LockWait::kTimedOut;
    }
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

FolderLock TryTakeFolderLock(const std::string& directory, HeldLocks* held) {
  const FileHandle file = LockFileOf(directory);
  // A base's lock of this process would merge with the folder's.
  if (file == kNoFile || HoldsLocks(file)) return FolderLock::kNone;
  const std::pair byte{file, kWholeFolder};
  if (!LockByte(byte, false)) return FolderLock::kBusy;
  held->bytes.push_back(byte);
  return FolderLock::kTaken;
}

bool TryTakeLock(const BaseKey& key, bool exclusive, HeldLocks* held) {
  HeldLocks mine;
  if (LockAll(std::span(&key, 1), exclusive, &mine) != 1) return false;
  held->bytes.insert(held->bytes.end(), mine.bytes.begin(), mine.bytes.end());
  mine.bytes.clear();
  return true;
}

void SetLockWaitNotice(void (*notice)(const std::string& line)) { wait_notice = notice; }
