#include "platform/base_lock.h"

#include <algorithm>
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

// The lock file of each key's folder, opened once for all keys of one
// folder, however its name is spelt; kNoFile where there is none to be had.
std::vector<FileHandle> OpenLockFiles(std::span<const BaseKey> keys, HeldLocks* held) {
  std::vector<FileHandle> handles(keys.size(), kNoFile);
  std::vector<std::pair<std::string, FileHandle>> by_name;
  std::vector<std::pair<FileIdentity, FileHandle>> by_identity;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const auto named = std::find_if(by_name.begin(), by_name.end(), [&](const auto& entry) {
      return entry.first == keys[i].directory;
    });
    if (named != by_name.end()) {
      handles[i] = named->second;
      continue;
    }
    FileHandle file = OpenLockFile(PathInDirectory(keys[i].directory, kLockFileName));
    FileIdentity identity;
    if (file != kNoFile && IdentityOfFile(file, &identity)) {
      const auto same = std::find_if(by_identity.begin(), by_identity.end(),
                                     [&](const auto& entry) { return entry.first == identity; });
      if (same != by_identity.end()) {
        CloseFile(file);
        file = same->second;
      } else {
        by_identity.emplace_back(identity, file);
        held->files.push_back(file);
      }
    } else if (file != kNoFile) {
      held->files.push_back(file);
    }
    by_name.emplace_back(keys[i].directory, file);
    handles[i] = file;
  }
  return handles;
}

// One attempt at every lock; the index of a key held by another run, or
// keys.size() when all are taken.
std::size_t LockAll(std::span<const BaseKey> keys, bool exclusive, HeldLocks* held) {
  const std::vector<FileHandle> handles = OpenLockFiles(keys, held);
  std::vector<std::pair<std::pair<FileHandle, std::uint64_t>, std::size_t>> bytes;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (handles[i] != kNoFile) bytes.push_back({{handles[i], keys[i].hash}, i});
  }
  // A byte is locked once through its handle (Windows refuses a second lock
  // of a byte its own handle holds), in one order for every run.
  std::sort(bytes.begin(), bytes.end());
  for (std::size_t b = 0; b < bytes.size(); ++b) {
    if (b > 0 && bytes[b].first == bytes[b - 1].first) continue;
    // A lock that cannot be had at all (a lock file only readable) guards
    // nothing: the run goes on without it, as where there is no lock file.
    if (TryLockByte(bytes[b].first.first, bytes[b].first.second, exclusive) == LockAttempt::kBusy) {
      ReleaseLocks(held);
      return bytes[b].second;
    }
  }
  return keys.size();
}

}  // namespace

BaseKey BaseKeyOf(const std::string& path) {
  BaseKey key;
  key.directory = DirectoryOf(path);
  const std::string name = FileNameOf(path);
  const std::size_t dot = name.rfind('.');
  const std::size_t stem = dot == std::string::npos || dot == 0 ? name.size() : dot;
  key.hash = Fnv1a(NameKey(std::string_view(name).substr(0, stem))) >> 2;
  key.name = path.substr(0, path.size() - (name.size() - stem));
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
  for (const FileHandle file : held->files) CloseFile(file);
  held->files.clear();
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

bool TryTakeLock(const BaseKey& key, bool exclusive, HeldLocks* held) {
  HeldLocks mine;
  if (LockAll(std::span(&key, 1), exclusive, &mine) != 1) return false;
  held->files.insert(held->files.end(), mine.files.begin(), mine.files.end());
  mine.files.clear();
  return true;
}

void SetLockWaitNotice(void (*notice)(const std::string& line)) { wait_notice = notice; }
