// The names of the files the replacement keeps beside a base, made and
// parsed here and nowhere else: the folder's lock file, and per base its
// record and the new and old copies of its files. A base is its files' name
// without the extension; all its files of ours carry one hash of that name.
//
//   .skedcomp.lock                     the folder's lock file (writers only)
//   .skedcomp-HASH.intent              a replacement's record
//   .skedcomp-HASH.EXT.new / .EXT.old  a target's new file / its old one
#ifndef SKEDCOMP_PLATFORM_OUR_FILES_H_
#define SKEDCOMP_PLATFORM_OUR_FILES_H_

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr char kLockFileName[] = ".skedcomp.lock";

// The only extensions a writer of ours replaces, so the only ones a record
// of ours can name: a record naming another file is not followed. A base's
// three files, and an XMLTV document that export publishes.
inline constexpr std::array<std::string_view, 4> kReplacedExtensions = {".ndx", ".pdt", ".log",
                                                                        ".xml"};
inline constexpr std::string_view kPublishedExtension = ".xml";
constexpr bool IsReplacedExtension(std::string_view extension) {
  for (const std::string_view known : kReplacedExtensions) {
    if (known == extension) return true;
  }
  return false;
}

// Which base a file belongs to: its folder, and the hash of its name in the
// folder's letter-case rule, which is also its byte of the lock file.
struct BaseKey {
  std::string directory;
  std::uint64_t hash = 0;  // below 2^62, a valid lock offset everywhere
  std::string name;        // the base as messages name it: the path without extension
};
BaseKey BaseKeyOf(const std::string& path);
inline bool SameBase(const BaseKey& a, const BaseKey& b) {
  return a.hash == b.hash && a.directory == b.directory;
}

// The extension of the file at `path`, with its dot ("" for none, and for a
// name that only starts with a dot): what a base's files differ by.
std::string ExtensionOf(const std::string& path);

std::string LockFilePath(const std::string& directory);
std::string RecordPath(const BaseKey& key);
std::string NewFilePath(const BaseKey& key, const std::string& target);
std::string OldFilePath(const BaseKey& key, const std::string& target);

// The prefix every name of ours but the lock file starts with.
inline constexpr std::string_view kOurPrefix = ".skedcomp-";

// The base whose record `name` (a file name in `directory`) is; none for any
// other name.
std::optional<BaseKey> RecordKeyOf(const std::string& directory, std::string_view name);

// The files of ours a replacement of `target` makes beside it: its new
// file, its old one, and its base's record.
std::vector<std::string> FilesOfOurs(const std::string& target);

#endif  // SKEDCOMP_PLATFORM_OUR_FILES_H_
