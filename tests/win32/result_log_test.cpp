// The result log: every row of the results window, top first, each followed by
// a lone CR, written through the C library's text mode.
#include "actions/result_log.h"

#include <string>

#include "test_support.h"

namespace {

using ResultLogTest = ActionsTest;

TEST_F(ResultLogTest, ReplacesTheLogWithEveryRowTopFirstCutTo259BytesAndEndedByALoneCr) {
  std::string log = temp.Write("Parvik.LOG", std::string(5000, 'o'));
  std::string longRow = "file:" + std::string(320, 'x') + "    create:    write:";
  ShowRows({{TextRow, "end:3 sec"},
            {TextRow, ""},
            {TextRow, "-- Länge:12 Byte --"},
            {0, "file:c:\\a.txt    create:01.02.2026  03:04:05    write:01.02.2026  03:04:05"},
            {1, longRow},
            {TextRow, "row\ttext"},
            {TextRow, "---"}});

  WriteResultLog(log.c_str());

  EXPECT_EQ(ReadWholeFile(log),
            "end:3 sec\r\r-- L\xE4nge:12 Byte --\r"
            "file:c:\\a.txt    create:01.02.2026  03:04:05    write:01.02.2026  03:04:05\r" +
                longRow.substr(0, 259) + "\rrow\ttext\r---\r");
  EXPECT_TRUE(recordedMessages.empty());
}

TEST_F(ResultLogTest, AnEmptyListOrNoWindowLeavesAnEmptyLog) {
  std::string log = temp.Write("Parvik.LOG", "old content");
  WriteResultLog(log.c_str());
  EXPECT_TRUE(FileExists(log));
  EXPECT_EQ(ReadWholeFile(log), "");

  temp.Write("Parvik.LOG", "old content");
  std::string fresh = temp.At("Fresh.LOG");
  WithoutResultsWindow([&] {
    WriteResultLog(log.c_str());
    WriteResultLog(fresh.c_str());
  });
  EXPECT_EQ(ReadWholeFile(log), "");
  EXPECT_TRUE(FileExists(fresh));
  EXPECT_EQ(ReadWholeFile(fresh), "");
  EXPECT_TRUE(recordedMessages.empty());
}

TEST_F(ResultLogTest, ALogThatCannotBeOpenedIsReportedAndKeepsItsContent) {
  std::string log = temp.Write("Parvik.LOG", "previous run\r");
  ShowRows({{TextRow, "end:2 sec"}});
  {
    HeldOpenFile inUse(log);
    WriteResultLog(log.c_str());
  }
  WriteResultLog(temp.At("missing folder\\Parvik.LOG").c_str());

  RecordedMessage cannotWrite = {"Kann Logdatei nicht schreiben", "Fehler!", MB_OK};
  ExpectMessages({cannotWrite, cannotWrite});
  EXPECT_EQ(ReadWholeFile(log), "previous run\r");
  EXPECT_EQ(ListedRows().size(), 1u);
}

}  // namespace
