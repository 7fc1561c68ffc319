// What both programs ask of the system before they start work.
#ifndef SKEDCOMP_PLATFORM_PROCESS_H_
#define SKEDCOMP_PLATFORM_PROCESS_H_

// A write past the shell's file-size limit (ulimit -f) then fails and is
// reported like any failed write, instead of killing the process midway.
void PrepareProcess();

#endif  // SKEDCOMP_PLATFORM_PROCESS_H_
