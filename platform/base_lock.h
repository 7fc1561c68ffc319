// A lock on each base for its writers, so that two runs never mix one
// base's files: every writer of ours holds it exclusively for the whole
// replacement, and a stopped run's leftovers are mended only under it.
// Readers take none (see platform/read_version.h).
//
// The locks are the system's own (an open file description's byte locks on
// Linux, LockFileEx on Windows), taken on one empty file per folder that a
// writer writes, `.skedcomp.lock`, which stays there. A base is one byte
// of it, at its hash (platform/our_files.h): the system frees a killed
// holder's locks, so none goes stale. Two names whose hashes meet only wait
// for each other. A lock file that cannot be locked for writing (a link, a
// folder, one this user may not write) is never taken as held: the writer
// stops and says so.
#ifndef SKEDCOMP_PLATFORM_BASE_LOCK_H_
#define SKEDCOMP_PLATFORM_BASE_LOCK_H_

#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_ops.h"
#include "platform/our_files.h"

// How long a run waits for a base that another run holds before it gives up.
inline constexpr std::chrono::seconds kLockWait{10};

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

enum class LockWait { kTaken, kTimedOut, kUnusable };

// Why locks could not be had: the base another run held, or the lock file
// that cannot be locked for writing and why.
struct LockTrouble {
  std::string busy;
  std::string lock_file;
  LockFileOpen why = LockFileOpen::kOk;
};

// Takes the lock of every key, all or none: where one is held by another
// run, every lock taken is let go and all are tried again after a pause,
// so that two runs never wait for each other in a circle. Waits up to
// `wait`, telling the wait notice once. kUnusable, at once, where a folder's
// lock file cannot be locked for writing.
LockWait TakeLocks(std::span<const BaseKey> keys, std::chrono::milliseconds wait, HeldLocks* held,
                   LockTrouble* trouble);

// The lock of `key` if it is free now; false, holding nothing new, if not.
bool TryTakeLock(const BaseKey& key, HeldLocks* held);

// What the user is told of an unusable lock file: one line without its line
// feed, naming the file and what to do.
std::string LockTroubleText(const LockTrouble& trouble);

// What a run does while it waits for a lock (one line, such as "waiting
// up to 10 s for another run that is using guide"): an entry point prints it.
void SetLockWaitNotice(void (*notice)(const std::string& line));

#endif  // SKEDCOMP_PLATFORM_BASE_LOCK_H_
