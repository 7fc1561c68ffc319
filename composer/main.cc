// skedcomp NAME...: composes the guide of each NAME from the channels its
// composition file NAME.cfg lists. Stops at the first failure with exit code 1.
#include <cstdio>

#include "base/status.h"
#include "composer/banner.h"
#include "composer/compose_guide.h"

namespace {

// Output is flushed after each message so that progress shows while a long
// run works and nothing is lost however the process ends.
void Print(const char* text) {
  std::fputs(text, stdout);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  Print(kBanner);
  if (argc < 2) {
    Print(kUsage);
    return 1;
  }
  for (int i = 1; i < argc; ++i) {
    std::printf("Composing %s... ", argv[i]);
    std::fflush(stdout);
    const Status status = ComposeGuide(argv[i]);
    Print(StatusMessage(status));
    if (status != Status::kOk) return 1;
  }
  return 0;
}
