// The program base format, read by LoadProgramBase and written by
// WriteProgramBase. A base NAME is two files; all integers little-endian.
//
// NAME.ndx, the index file, exactly 2 + 12 x count bytes:
//   offset 0        2 bytes  count: number of entries (unsigned)
//   offset 2 + 12k  2 bytes  entry k: reserved, written as 0, never read
//   offset 4 + 12k  8 bytes  entry k: start as a FILETIME (unsigned)
//   offset 12 + 12k 2 bytes  entry k: offset of its title record in NAME.pdt
//
// NAME.pdt, the title file:
//   offset 0        26 bytes "QAX 3.x TV Program Data\n\n\n", never read back
//   offset 26       title records, one after another in index order, each a
//                   2-byte length L followed by L bytes (no terminator)
//
// Readers reach titles only through the index file's offsets.
#ifndef SKEDCOMP_BASE_PROGRAM_BASE_FORMAT_H_
#define SKEDCOMP_BASE_PROGRAM_BASE_FORMAT_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

inline constexpr std::string_view kIndexExtension = ".ndx";
inline constexpr std::string_view kTitleExtension = ".pdt";
inline constexpr std::string_view kLogExtension = ".log";

inline constexpr std::size_t kCountSize = 2;
inline constexpr std::size_t kEntryReservedSize = 2;
inline constexpr std::size_t kEntryStartSize = 8;
inline constexpr std::size_t kEntryTitleOffsetSize = 2;
inline constexpr std::size_t kEntrySize =
    kEntryReservedSize + kEntryStartSize + kEntryTitleOffsetSize;
// Field positions within an entry.
inline constexpr std::size_t kEntryStartOffset = kEntryReservedSize;
inline constexpr std::size_t kEntryTitleOffset = kEntryStartOffset + kEntryStartSize;

inline constexpr std::string_view kTitleFileHeader = "QAX 3.x TV Program Data\n\n\n";
inline constexpr std::size_t kTitleLengthSize = 2;
// Title offsets are 16-bit, so no title record can start beyond this offset.
inline constexpr std::size_t kMaxTitleOffset = 0xFFFF;

// Byte by byte, least significant first. Written out for each size, so that
// the compiler makes one load of it.
template <std::size_t... I>
std::uint64_t DecodeBytes(const unsigned char* at, std::index_sequence<I...>) {
  return ((std::uint64_t{at[I]} << (8 * I)) | ...);
}

template <std::size_t Size>
std::uint64_t DecodeLittleEndian(std::string_view bytes, std::size_t offset) {
  return DecodeBytes(reinterpret_cast<const unsigned char*>(bytes.data()) + offset,
                     std::make_index_sequence<Size>{});
}

inline void AppendLittleEndian(std::string* bytes, std::uint64_t value, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    bytes->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  }
}

#endif  // SKEDCOMP_BASE_PROGRAM_BASE_FORMAT_H_
