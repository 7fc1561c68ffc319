// A wrapper of the system's file operations that tests put in place of
// them: every call is counted, and the chosen ones fail as if the system
// had refused them; or, from a chosen call on, nothing reaches the disk any
// more, as when the process is killed there.
#ifndef SKEDCOMP_TESTS_FAULTY_FILE_OPS_H_
#define SKEDCOMP_TESTS_FAULTY_FILE_OPS_H_

#include "platform/file_ops.h"

struct FileFaults {
  int fail_step = 0;           // this call (from 1) fails; 0: none does
  int fail_put_back_step = 0;  // this call (from 1) after the first failure fails too
  bool no_exchange = false;    // as on a system without the exchange of names
  bool no_links = false;       // as on a file system without hard links
  bool no_removal = false;     // every removal of a file fails, as if refused
  int stop_at = 0;             // from this call (from 1) on, nothing is done: a kill
  int steps = 0;               // counted: calls made
  int put_back_steps = 0;      // counted: calls made after the first failure
};

// Puts the wrapper in place for its lifetime, counting into `faults`.
struct FaultyFileOps {
  explicit FaultyFileOps(FileFaults* faults);
  ~FaultyFileOps();
  FaultyFileOps(const FaultyFileOps&) = delete;
  FaultyFileOps& operator=(const FaultyFileOps&) = delete;
};

#endif  // SKEDCOMP_TESTS_FAULTY_FILE_OPS_H_
