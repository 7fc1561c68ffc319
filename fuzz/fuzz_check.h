// A property check for the fuzz harnesses: a failed property aborts, so
// libFuzzer keeps the input that broke it.
#ifndef SKEDCOMP_FUZZ_FUZZ_CHECK_H_
#define SKEDCOMP_FUZZ_FUZZ_CHECK_H_

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                               \
  do {                                                                                      \
    if (!(condition)) {                                                                     \
      std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                         \
    }                                                                                       \
  } while (false)

#endif  // SKEDCOMP_FUZZ_FUZZ_CHECK_H_
