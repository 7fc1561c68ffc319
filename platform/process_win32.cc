#include <windows.h>

#include "platform/process.h"

// No dialog box for a drive without a medium: a failed open is reported, and
// the tool never waits for someone to click.
void PrepareProcess() { ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX); }

std::string ProgramFolder() {
  // As the ANSI file functions that open what is found there take it.
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return ".";
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    if (path.size() >= 32768) return ".";
    path.resize(path.size() * 2);
  }
  const std::size_t separator = path.find_last_of("\\/");
  return separator == std::string::npos ? "." : path.substr(0, separator);
}

// The C runtime's default; the Windows handles themselves are not so bounded.
std::size_t OpenFileLimit() { return 512; }
