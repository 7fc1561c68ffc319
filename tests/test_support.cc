#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "base/calendar_time.h"
#include "platform/base_lock.h"
#include "text/utf8.h"

TempDir::TempDir() {
  namespace fs = std::filesystem;
  std::random_device seed;
  std::mt19937_64 random(seed());
  for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
    const fs::path candidate =
        fs::temp_directory_path() / ("skedcomp-test-" + std::to_string(random() % 1000000000));
    std::error_code error;
    if (fs::create_directory(candidate, error)) path_ = candidate.string();
  }
  if (path_.empty()) ADD_FAILURE() << "cannot make a temporary directory";
}

TempDir::~TempDir() {
  namespace fs = std::filesystem;
  std::error_code ignored;
  // Tests leave read-only files and folders behind; open them up before removal.
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
  for (auto entry = fs::recursive_directory_iterator(path_, ignored);
       entry != fs::recursive_directory_iterator(); entry.increment(ignored)) {
    if (!entry->is_symlink(ignored)) {
      fs::permissions(entry->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
  }
  fs::remove_all(path_, ignored);
}

std::vector<std::string> TempDir::List() const {
  std::vector<std::string> names = ListAll();
  names.erase(std::remove(names.begin(), names.end(), kLockFileName), names.end());
  return names;
}

std::vector<std::string> TempDir::ListAll() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path_))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

namespace {

// A name as the programs take it: UTF-8 when it is (on Windows skedtool reads
// its command line so), otherwise bytes of the system's page.
std::filesystem::path PathOf(const std::string& name) {
  if (!IsUtf8(name)) return std::filesystem::path(name);
  return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

}  // namespace

void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(PathOf(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) ADD_FAILURE() << "cannot write " << path;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(PathOf(path), std::ios::binary);
  if (!in) ADD_FAILURE() << "cannot read " << path;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void MakeDirectory(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::create_directory(PathOf(path), error)) {
    ADD_FAILURE() << "cannot make " << path;
  }
}

void MakeReadOnly(const std::string& path) {
  std::error_code error;
  std::filesystem::permissions(PathOf(path),
                               std::filesystem::perms::owner_write |
                                   std::filesystem::perms::group_write |
                                   std::filesystem::perms::others_write,
                               std::filesystem::perm_options::remove, error);
  if (error) ADD_FAILURE() << "cannot make " << path << " read-only";
}

bool FileExists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::exists(std::filesystem::symlink_status(PathOf(path), ignored));
}

std::uint64_t FileTimeOf(int year, int month, int day, int hour, int minute, int second) {
  StoredTime result;
  if (!StoredTimeOfCalendar(MakeCalendarTime(year, month, day, hour, minute, second), &result)) {
    ADD_FAILURE() << "bad test date";
  }
  return result.ticks;
}

std::string LittleEndian(std::uint64_t value, std::size_t size) {
  std::string bytes;
  for (std::size_t i = 0; i < size; ++i)
    bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  return bytes;
}

std::string IndexFileBytes(const std::vector<BaseEntry>& entries) {
  std::string bytes = LittleEndian(entries.size(), 2);
  std::size_t offset = 26;
  for (const BaseEntry& entry : entries) {
    bytes += LittleEndian(0, 2) + LittleEndian(entry.start, 8) + LittleEndian(offset, 2);
    offset += 2 + entry.title.size();
  }
  return bytes;
}

std::string TitleFileBytes(const std::vector<BaseEntry>& entries) {
  std::string bytes = "QAX 3.x TV Program Data\n\n\n";
  for (const BaseEntry& entry : entries) bytes += LittleEndian(entry.title.size(), 2) + entry.title;
  return bytes;
}

void WriteBase(const std::string& path, const std::vector<BaseEntry>& entries) {
  WriteFile(path + ".ndx", IndexFileBytes(entries));
  WriteFile(path + ".pdt", TitleFileBytes(entries));
}

std::vector<DamagedBase> DamagedBases() {
  const std::uint64_t start = 0x01BF92A2AE856C00ull;  // Monday 2000-03-20 19:30
  const auto entry = [](std::uint64_t ticks, std::size_t title_offset) {
    return LittleEndian(0, 2) + LittleEndian(ticks, 8) + LittleEndian(title_offset, 2);
  };
  const std::string header = "QAX 3.x TV Program Data\n\n\n";
  const std::string news = header + LittleEndian(4, 2) + "News";
  return {
      {"one-byte index file", "\x01", header, BaseDamage::kOneByteIndex, 0},
      {"index file shorter than its count", LittleEndian(2, 2) + entry(start, 26), news,
       BaseDamage::kShortIndex, 0},
      {"start of 2^63", LittleEndian(2, 2) + entry(start, 26) + entry(1ull << 63, 26), news,
       BaseDamage::kStartOutOfRange, 2},
      {"title length past the end", LittleEndian(2, 2) + entry(start, 26) + entry(start, 32),
       news + "\x04", BaseDamage::kTitleLengthCut, 2},
      {"title text past the end", LittleEndian(1, 2) + entry(start, 26),
       header + LittleEndian(5, 2) + "News", BaseDamage::kTitleTextCut, 1},
      {"title of 2000 bytes", LittleEndian(1, 2) + entry(start, 26),
       header + LittleEndian(2000, 2) + std::string(2000, 't'), BaseDamage::kTitleTooLong, 1},
  };
}

ProgramRecord MakeRecord(int year, int month, int day, int hour, int minute, int weekday,
                         std::string_view title) {
  ProgramRecord record{};
  record.year = year;
  record.month = month;
  record.day = day;
  record.hour = hour;
  record.minute = minute;
  record.weekday = weekday;
  std::memcpy(record.title, title.data(), title.size());
  record.title[title.size()] = '\0';
  return record;
}
