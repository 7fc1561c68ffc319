#include "xmltv/import_layout.h"

#include <gtest/gtest.h>

namespace {

TEST(ImportLayoutTest, ChannelIdsBecomeFileNames) {
  const std::pair<const char*, const char*> cases[] = {
      {"news.example.com", "news.example.com"},
      {"b c/d", "b_c_d"},
      {"..\\up", ".._up"},
      {"", "_"},
      {"Caf\xC3\xA9", "Caf__"},
  };
  for (const auto& [id, file] : cases) EXPECT_EQ(BaseFileNameOf(id), file) << id;
}

TEST(ImportLayoutTest, TwoIdsOfOneFileNameAreRefusedByName) {
  std::vector<XmltvChannel> channels(2);
  channels[0].id = "a b";
  channels[1].id = "a/b";
  std::vector<LaidOutBase> bases;
  std::string error;
  EXPECT_FALSE(LayOutBases(&channels, &bases, &error));
  EXPECT_EQ(error, "channels a b and a/b would both be written to a_b");
}

TEST(ImportLayoutTest, ProgrammesAreLaidOutInStartOrder) {
  std::vector<XmltvChannel> channels(1);
  channels[0].id = "a";
  channels[0].programs = {{200, "late"}, {100, "early"}, {200, "late too"}};
  std::vector<LaidOutBase> bases;
  std::string error;
  ASSERT_TRUE(LayOutBases(&channels, &bases, &error)) << error;
  EXPECT_EQ(channels[0].programs[0].title, "early");
  EXPECT_EQ(channels[0].programs[2].title, "late too");
  EXPECT_EQ(bases[0].file_name, "a");
}

}  // namespace
