// What folders hold, each listed once, so that a reader of many names
// knows a base that is not there without a look-up of its own.
#ifndef SKEDCOMP_BASE_FOLDER_LISTING_H_
#define SKEDCOMP_BASE_FOLDER_LISTING_H_

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <unordered_set>

inline constexpr std::size_t kListedFolders = 256;
struct FolderListings {
  // By folder: the names it holds, letter case aside; none when it could not
  // be listed.
  std::map<std::string, std::optional<std::unordered_set<std::string>>> folders;
};

// True only when the folder of `path` was listed and holds neither that
// file nor a stopped run's record for its base, and no rule of the system
// could find the file under another name (a short name on Windows, a folder
// that ignores letter case): then opening it would fail. False when unsure.
// A listing is as old as the first question about its folder.
bool SurelyMissing(FolderListings* listings, const std::string& path);

#endif  // SKEDCOMP_BASE_FOLDER_LISTING_H_
