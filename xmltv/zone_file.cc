#include "xmltv/zone_file.h"

#include <cstdint>

namespace {

constexpr std::string_view kMagic = "TZif";
constexpr std::size_t kHeaderBytes = 44;  // magic, version, 15 reserved, six counts

std::int64_t CountAt(std::string_view bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i)
    value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return static_cast<std::int32_t>(value);
}

// One header and the tables after it, with times of `time_bytes` (4 in the
// first block, 8 in the second); `*end` receives where the tables end.
std::string BlockFault(std::string_view bytes, std::size_t start, std::size_t time_bytes,
                       std::size_t* end) {
  if (bytes.size() - start < kHeaderBytes) return "it is cut short";
  if (bytes.substr(start, 4) != kMagic) return "it does not start as one";
  const char version = bytes[start + 4];
  if (version != '\0' && (version < '2' || version > '4')) return "its version is unknown";
  const std::int64_t utc_flags = CountAt(bytes, start + 20), std_flags = CountAt(bytes, start + 24),
                     leaps = CountAt(bytes, start + 28), times = CountAt(bytes, start + 32),
                     types = CountAt(bytes, start + 36), chars = CountAt(bytes, start + 40);
  for (const std::int64_t count : {utc_flags, std_flags, leaps, times, types, chars})
    if (count < 0) return "a count in its header is negative";
  if (types == 0 || chars == 0) return "it names no local time type";
  if ((utc_flags != 0 && utc_flags != types) || (std_flags != 0 && std_flags != types))
    return "its header counts do not agree";
  const std::int64_t index_at = static_cast<std::int64_t>(start + kHeaderBytes) +
                                times * static_cast<std::int64_t>(time_bytes);
  const std::int64_t type_at = index_at + times;
  const std::int64_t chars_at = type_at + types * 6;
  const std::int64_t tables_end =
      chars_at + chars + leaps * static_cast<std::int64_t>(time_bytes + 4) + std_flags + utc_flags;
  if (tables_end > static_cast<std::int64_t>(bytes.size())) return "it is cut short";
  for (std::int64_t i = index_at; i < type_at; ++i)
    if (static_cast<unsigned char>(bytes[i]) >= types) return "a change names a type it lacks";
  for (std::int64_t i = type_at; i < chars_at; i += 6) {
    if (static_cast<unsigned char>(bytes[i + 5]) >= chars) return "a type names text it lacks";
    if (static_cast<unsigned char>(bytes[i + 4]) > 1)
      return "a type's daylight flag is neither 0 nor 1";
  }
  *end = static_cast<std::size_t>(tables_end);
  return {};
}

}  // namespace

std::string ZoneFileFault(std::string_view bytes) {
  if (bytes.size() > kZoneFileLimit) return kZoneFileTooLarge;
  std::size_t end = 0;
  std::string fault = BlockFault(bytes, 0, 4, &end);
  if (!fault.empty() || bytes[4] == '\0') return fault;
  // From version 2 on, a second block with 64-bit times follows, of the same
  // version, and it is the one the library reads.
  const std::size_t second = end;
  fault = BlockFault(bytes, second, 8, &end);
  if (fault.empty() && bytes[second + 4] != bytes[4]) return "its two headers differ in version";
  return fault;
}
