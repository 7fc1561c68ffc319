// A number and the noun it counts, for messages: "1 programme", "3 programmes".
#ifndef SKEDCOMP_TEXT_COUNTED_H_
#define SKEDCOMP_TEXT_COUNTED_H_

#include <string>
#include <string_view>

inline std::string Counted(long long count, std::string_view one, std::string_view many) {
  return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

#endif  // SKEDCOMP_TEXT_COUNTED_H_
