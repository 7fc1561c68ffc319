#include "xmltv/zone_file.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Count(std::uint32_t value) {
  std::string bytes;
  for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>(value >> shift & 0xFF);
  return bytes;
}

// A header and tables: one change to type 0 (+01:00, "ABC"), times of
// `time_bytes` bytes.
std::string Block(char version, std::size_t time_bytes) {
  std::string block = "TZif" + std::string(1, version) + std::string(15, '\0');
  block += Count(0) + Count(0) + Count(0) + Count(1) + Count(1) + Count(4);
  block += std::string(time_bytes, '\0');                                      // the change
  block += std::string(1, '\0');                                               // its type
  block += Count(3600) + std::string(1, '\0') + std::string(1, '\0') + "ABC";  // type, names
  return block + '\0';
}

std::string Version2() { return Block('2', 4) + Block('2', 8) + "\nABC-1\n"; }

TEST(ZoneFileTest, WholeFilesPassAndDamagedOnesAreNamed) {
  EXPECT_EQ(ZoneFileFault(Block('\0', 4)), "");
  EXPECT_EQ(ZoneFileFault(Version2()), "");
  const std::string whole = Version2();
  const std::size_t second = Block('2', 4).size();
  struct Damage {
    std::size_t at;
    char byte;
  };
  // Each byte that names another table, count or version in turn.
  for (const Damage damage : {Damage{0, 'X'}, Damage{4, '9'}, Damage{second + 4, '3'},
                              Damage{second + 32, '\x80'}, Damage{second + 39, '\0'},
                              Damage{second + 44 + 8, '\x01'}, Damage{second + 44 + 9 + 5, '\x04'},
                              Damage{second + 44 + 9 + 4, '\x02'}, Damage{second + 35, '\x02'}}) {
    std::string bytes = whole;
    bytes[damage.at] = damage.byte;
    EXPECT_NE(ZoneFileFault(bytes), "") << "byte " << damage.at;
  }
  // Cut anywhere before the second block's tables end.
  const std::size_t tables_end = whole.size() - 7;
  for (std::size_t length = 0; length < tables_end; ++length)
    EXPECT_NE(ZoneFileFault(whole.substr(0, length)), "") << length;
  EXPECT_EQ(ZoneFileFault(whole + std::string(kZoneFileLimit, '\n')), kZoneFileTooLarge);
}

}  // namespace
