#include "base/folder_listing.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "platform/file_ops.h"
#include "platform/our_files.h"
#include "text/ascii.h"

namespace {

// A name that every system finds only as it is written, letter case aside:
// plain ASCII, no short-name '~', no trailing dot or space that Windows
// drops.
bool PlainName(std::string_view name) {
  if (name.empty() || name.back() == '.' || name.back() == ' ') return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return IsAsciiLetter(c) || IsAsciiDigit(c) || c == '_' || c == '-' || c == '.' || c == ' ';
  });
}

}  // namespace

bool SurelyMissing(FolderListings* listings, const std::string& path) {
  const std::string name = FileNameOf(path);
  if (!PlainName(name)) return false;
  const BaseKey key = BaseKeyOf(path);
  // Names in ever more folders are looked up one by one: the listings of a
  // few hold what any real composition names.
  if (listings->folders.size() >= kListedFolders && !listings->folders.contains(key.directory)) {
    return false;
  }
  auto [folder, listed] = listings->folders.try_emplace(key.directory);
  if (listed) {
    std::vector<std::string> names;
    if (SystemFileOps().list_directory(key.directory, "", &names)) {
      folder->second.emplace();
      for (const std::string& held : names) folder->second->insert(AsciiLowerCase(held));
    }
  }
  if (!folder->second.has_value()) return false;
  return !folder->second->contains(AsciiLowerCase(name)) &&
         !folder->second->contains(AsciiLowerCase(FileNameOf(RecordPath(key))));
}
