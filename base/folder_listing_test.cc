// Knowing a base missing from its folder's listing, without opening it.
#include "base/folder_listing.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/our_files.h"
#include "tests/test_support.h"

namespace {

// Only a name that opening would surely not find is told missing from the
// listing; a listing is taken once a folder.
TEST(SurelyMissingTest, TellsOnlyWhatAnOpenWouldFind) {
  TempDir dir;
  WriteFile(dir / "there.ndx", "");
  WriteFile(dir / "Upper.ndx", "");
  WriteFile(FilesOfOurs(dir / "stopped.ndx")[2], "");
  FolderListings listings;
  const struct {
    std::string path;
    bool missing;
  } cases[] = {
      {dir / "gone.ndx", true},         {dir / "there.ndx", false},
      {dir / "upper.ndx", false},        // a folder may ignore letter case
      {dir / "stopped.ndx", false},      // a stopped run may put it back
      {dir / "gone~1.ndx", false},       // a short name on Windows
      {dir / "gone.ndx.", false},        // Windows drops the dot
      {dir / "g\xC3\xB6ne.ndx", false},  // letter case beyond ASCII
      {dir / "none/gone.ndx", false},    // no folder to list
  };
  for (const auto& [path, missing] : cases)
    EXPECT_EQ(SurelyMissing(&listings, path), missing) << path;
  WriteFile(dir / "late.ndx", "");
  EXPECT_TRUE(SurelyMissing(&listings, dir / "late.ndx"));  // listed before it came
}

// Listings are kept for a bounded number of folders; names in further
// folders are left to a look-up of their own.
TEST(SurelyMissingTest, ListsABoundedNumberOfFolders) {
  TempDir dir;
  FolderListings listings;
  for (std::size_t i = 0; i <= kListedFolders; ++i) {
    const std::string folder = dir / ("d" + std::to_string(i));
    MakeDirectory(folder);
    EXPECT_EQ(SurelyMissing(&listings, folder + "/gone.ndx"), i < kListedFolders) << i;
  }
  EXPECT_EQ(listings.folders.size(), kListedFolders);
}

}  // namespace
