#include <windows.h>

#include "platform/process.h"

// No dialog box for a drive without a medium: a failed open is reported, and
// the tool never waits for someone to click.
void PrepareProcess() { ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX); }
