// Helpers shared by the unit and end-to-end tests: a scratch directory, whole
// files, and channel bases built byte by byte independently of the writer.
#ifndef SKEDCOMP_TESTS_TEST_SUPPORT_H_
#define SKEDCOMP_TESTS_TEST_SUPPORT_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/program_tables.h"
#include "base/stored_base.h"

// A fresh directory removed with all it holds when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(std::string_view name) const { return path_ + "/" + std::string(name); }
  // Names of the entries in the directory, sorted; all but the lock file
  // that every reader and writer of bases leaves (empty) in their folder.
  std::vector<std::string> List() const;
  // ... and every one, the lock file too.
  std::vector<std::string> ListAll() const;

 private:
  std::string path_;
};

void WriteFile(const std::string& path, std::string_view bytes);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);
void MakeDirectory(const std::string& path);
// No write permission for anyone: on Windows the read-only attribute.
void MakeReadOnly(const std::string& path);

// A FILETIME computed from calendar fields by the library's conversion.
std::uint64_t FileTimeOf(int year, int month, int day, int hour, int minute, int second = 0);

struct BaseEntry {
  std::uint64_t start;  // FILETIME
  std::string title;
};

// The index and title file bytes of a well-formed base holding `entries`.
std::string IndexFileBytes(const std::vector<BaseEntry>& entries);
std::string TitleFileBytes(const std::vector<BaseEntry>& entries);
// Writes PATH.ndx and PATH.pdt.
void WriteBase(const std::string& path, const std::vector<BaseEntry>& entries);

// Little-endian bytes of `value`, `size` bytes long.
std::string LittleEndian(std::uint64_t value, std::size_t size);

// Every way a base can be damaged, each as the bytes of its two files.
struct DamagedBase {
  const char* what;
  std::string index;
  std::string titles;
  BaseDamage damage;
  std::size_t entry;  // 1-based entry at fault; 0 when the files as a whole are
};
std::vector<DamagedBase> DamagedBases();

ProgramRecord MakeRecord(int year, int month, int day, int hour, int minute, int weekday,
                         std::string_view title);

#endif  // SKEDCOMP_TESTS_TEST_SUPPORT_H_
