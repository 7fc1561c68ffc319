// A short, stable hash of text, for choices that must not change from run
// to run or from system to system (a source's colour on the page).
#ifndef SKEDCOMP_TEXT_HASH_H_
#define SKEDCOMP_TEXT_HASH_H_

#include <cstdint>
#include <string_view>

// 32-bit FNV-1a of the bytes.
constexpr std::uint32_t TextHash(std::string_view text) {
  std::uint32_t hash = 2166136261u;
  for (const char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return hash;
}

#endif  // SKEDCOMP_TEXT_HASH_H_
