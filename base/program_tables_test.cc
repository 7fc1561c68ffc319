#include "base/program_tables.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "platform/table_memory.h"

namespace {

// The tables the steps under test work on.
ProgramTable& ChannelTable = TablesInTableMemory().channel;
ProgramTable& GuideTable = TablesInTableMemory().guide;

bool InsideBlock(const void* object, std::size_t size) {
  const auto block = reinterpret_cast<std::uintptr_t>(TableMemory());
  const auto begin = reinterpret_cast<std::uintptr_t>(object);
  return begin >= block && begin + size <= block + 2 * sizeof(ProgramTable);
}

// The composer maps the first two tables' bytes of the block in one go; a
// table outside them would be left to fault page by page.
TEST(ProgramTablesTest, BothTablesLieAtTheStartOfTheBlock) {
  EXPECT_TRUE(InsideBlock(&ChannelTable, sizeof ChannelTable));
  EXPECT_TRUE(InsideBlock(&GuideTable, sizeof GuideTable));
  EXPECT_NE(&ChannelTable, &GuideTable);
  const auto channel = reinterpret_cast<std::uintptr_t>(&ChannelTable);
  const auto guide = reinterpret_cast<std::uintptr_t>(&GuideTable);
  EXPECT_TRUE(channel + sizeof ChannelTable <= guide || guide + sizeof GuideTable <= channel);
}

TEST(ProgramTablesTest, MappingTheBlockKeepsWhatTheTablesHold) {
  ProgramRecord record{};
  record.hour = 21;
  std::strcpy(record.title, "Late news");
  ChannelTable.count = 0;
  GuideTable.count = 0;
  ASSERT_NE(AppendRecord(ChannelTable, record), nullptr);
  GuideTable.records[kProgramTableCapacity - 1] = record;

  PrefaultTableMemory(2 * sizeof(ProgramTable));

  EXPECT_EQ(ChannelTable.count, 1);
  EXPECT_EQ(ChannelTable.records[0].hour, 21);
  EXPECT_STREQ(ChannelTable.records[0].title, "Late news");
  EXPECT_STREQ(GuideTable.records[kProgramTableCapacity - 1].title, "Late news");
  ChannelTable.count = 0;
}

}  // namespace
