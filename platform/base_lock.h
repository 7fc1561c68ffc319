// A lock on each base, so that two runs never mix one base's files: every
// writer of ours holds it exclusively for the whole replacement, and every
// reader shared while it reads.
//
// The locks are the system's own (an open file description's byte locks on
// Linux, LockFileEx on Windows), taken on one empty file per folder,
// `.skedcomp.lock`, which stays. A base (its files' name without the
// extension, in the folder's letter-case rule) is one byte of it, at a hash
// of its name: the system frees a killed holder's locks, so none goes stale.
// Two names whose hashes meet only wait for each other. Programs that know
// nothing of the lock are not hindered by it.
#ifndef SKEDCOMP_PLATFORM_BASE_LOCK_H_
#define SKEDCOMP_PLATFORM_BASE_LOCK_H_

#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_ops.h"

inline constexpr char kLockFileName[] = ".skedcomp.lock";
// How long a run waits for a base that another run holds before it gives up.
inline constexpr std::chrono::seconds kLockWait{10};

// Which lock guards the file at `path`: its folder and its base's byte.
struct BaseKey {
  std::string directory;
  std::uint64_t hash = 0;  // below 2^62 (kWholeFolder), a valid offset everywhere
  std::string name;        // the base as messages name it: the path without extension
};
BaseKey BaseKeyOf(const std::string& path);

// The extension of the file at `path`, with its dot ("" for none, and for a
// name that only starts with a dot): what a base's files differ by.
std::string ExtensionOf(const std::string& path);

// The hash as 16 lower-case hexadecimal digits, for names of our files.
std::string HashText(std::uint64_t hash);

// The locks one run holds: bytes of lock files, which stay open for the
// whole process. Let go when it goes.
struct HeldLocks {
  std::vector<std::pair<FileHandle, std::uint64_t>> bytes;
  HeldLocks() = default;
  ~HeldLocks();
  HeldLocks(const HeldLocks&) = delete;
  HeldLocks& operator=(const HeldLocks&) = delete;
};
void ReleaseLocks(HeldLocks* held);

enum class LockWait { kTaken, kTimedOut };

// Takes the lock of every key, all or none: where one is held by another
// run, every lock taken is let go and all are tried again after a pause,
// so that two runs never wait for each other in a circle. Waits up to
// `wait`, telling the wait notice once. A folder where no lock file can be
// made or opened (one the user may not write to, without one) is read
// without a lock. On a time-out `*busy` names the base that was held.
LockWait TakeLocks(std::span<const BaseKey> keys, bool exclusive, std::chrono::milliseconds wait,
                   HeldLocks* held, std::string* busy);

// The lock of `key` if it is free now; false, holding nothing new, if not.
bool TryTakeLock(const BaseKey& key, bool exclusive, HeldLocks* held);

// Every base's byte lies below kWholeFolder: locking [0, kWholeFolder) shared
// locks a whole folder for reading, so that no base there can be locked
// exclusively, by any run, until it is let go. While this process holds a
// folder so, it takes no base's lock there exclusively (TakeLocks waits in
// vain), and a shared one costs the system nothing.
inline constexpr std::uint64_t kWholeFolder = std::uint64_t{1} << 62;
enum class FolderLock {
  kTaken,
  kBusy,  // another run holds a base there: nothing was taken
  // Nothing was taken: the folder has no lock file (it is then read without
  // a lock), or this process holds a base's lock there already.
  kNone,
};
// The folder's lock if it is free now, without waiting.
FolderLock TryTakeFolderLock(const std::string& directory, HeldLocks* held);

// What a run does while it waits for a lock (one line, such as "waiting
// up to 10 s for another run that is using guide"): an entry point prints it.
void SetLockWaitNotice(void (*notice)(const std::string& line));

#endif  // SKEDCOMP_PLATFORM_BASE_LOCK_H_
