// The origin list of a Backup run, without a file system.
#include <gtest/gtest.h>

#include "actions/origin_list.h"

namespace {

TEST(OriginList, LinesReadBackAsWrittenTheLastLineOfANameCountsAndACutLineIsDropped) {
  OriginLine moved = {"lied (2).mp3", "C:\\M\xC3\xBC\\lied.mp3", 5000000000u, {0x89ABCDEF, 0x01D2}};
  std::string text = OriginListHeader + FormatOriginLine(moved) + "3\t0000000000000002\tA\tC:\\old\r\n" + "x\tbroken\r\n" + "3\t00000002\tb\tC:\\b\r\n" + "3\t0000000000000002\ta\tC:\\new\n" + "7\t0000000000000009\tcut\tC:\\c";
  std::vector<OriginLine> lines;
  int unreadable = -1;
  ASSERT_TRUE(ParseOriginList(text, &lines, &unreadable));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(unreadable, 2);
  EXPECT_EQ(lines[0].path + std::to_string(lines[0].size) + "|" + std::to_string(lines[0].lastWrite.high) + "|" +
                std::to_string(lines[0].lastWrite.low), moved.path + "5000000000|466|2309737967");
  EXPECT_EQ(lines[1].name + lines[1].path, "aC:\\new");
  for (const char* other : {"", "Parvik-Herkunft 1\r\n", "backup.log\r\n"}) EXPECT_FALSE(ParseOriginList(other, &lines, &unreadable));
}

}  // namespace
