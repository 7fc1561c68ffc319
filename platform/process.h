// What both programs ask of the system before they start work.
#ifndef SKEDCOMP_PLATFORM_PROCESS_H_
#define SKEDCOMP_PLATFORM_PROCESS_H_

#include <cstddef>
#include <string>

// A write past the shell's file-size limit (ulimit -f) then fails and is
// reported like any failed write, instead of killing the process midway.
void PrepareProcess();

// The folder that holds the running program, without a separator at the end,
// where the files shipped with it are found; "." when the system cannot say.
std::string ProgramFolder();

// How many files the process may have open at once (its soft limit).
std::size_t OpenFileLimit();

#endif  // SKEDCOMP_PLATFORM_PROCESS_H_
