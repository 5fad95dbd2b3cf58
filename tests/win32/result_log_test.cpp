// The result log: every row of the results window, top first, each followed by
// a lone CR, written through the C library's text mode.
#include <algorithm>
#include <string>

#include "actions/result_log.h"
#include "actions_support.h"
#include "temp_dir.h"

namespace {

using ResultLogTest = ActionsTest;

TEST_F(ResultLogTest, WritesEveryRowTopFirstEachEndedByALoneCarriageReturn) {
  TempDir temp;
  ShowRows({{TextRow, "end:3 sec"},
            {TextRow, ""},
            {TextRow, "-- Länge:12 Byte --"},
            {0, "file:c:\\a.txt    create:01.02.2026  03:04:05    write:01.02.2026  03:04:05"},
            {TextRow, "---"}});
  std::string log = temp.At("Parvik.LOG");

  WriteResultLog(log.c_str());

  EXPECT_EQ(ReadWholeFile(log),
            "end:3 sec\r\r-- L\xE4nge:12 Byte --\r"
            "file:c:\\a.txt    create:01.02.2026  03:04:05    write:01.02.2026  03:04:05\r---\r");
  EXPECT_TRUE(recordedMessages.empty());
}

TEST_F(ResultLogTest, GivesExactlyOneCarriageReturnPerRowAndNoLineFeed) {
  TempDir temp;
  std::vector<ListRow> rows;
  for (int i = 0; i < 40; ++i) rows.push_back({TextRow, i % 3 == 0 ? "" : "row\ttext"});
  ShowRows(rows);
  std::string log = temp.At("Parvik.LOG");

  WriteResultLog(log.c_str());

  std::string bytes = ReadWholeFile(log);
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\r'), 40);
  EXPECT_EQ(bytes.find('\n'), std::string::npos);
  EXPECT_EQ(bytes.substr(0, 10), "\rrow\ttext\r");
}

TEST_F(ResultLogTest, CutsARowLongerThan259BytesTo259) {
  TempDir temp;
  std::string longRow = "file:" + std::string(320, 'x') + "    create:    write:";
  ShowRows({{TextRow, "end:0 sec"}, {0, longRow}, {TextRow, "---"}});
  std::string log = temp.At("Parvik.LOG");

  WriteResultLog(log.c_str());

  EXPECT_EQ(ReadWholeFile(log), "end:0 sec\r" + longRow.substr(0, 259) + "\r---\r");
}

TEST_F(ResultLogTest, ReplacesAnEarlierLog) {
  TempDir temp;
  std::string log = temp.Write("Parvik.LOG", std::string(5000, 'o'));
  ShowRows({{TextRow, "end:1 sec"}});

  WriteResultLog(log.c_str());

  EXPECT_EQ(ReadWholeFile(log), "end:1 sec\r");
}

TEST_F(ResultLogTest, AnEmptyListOrNoWindowLeavesAnEmptyLog) {
  TempDir temp;
  std::string log = temp.Write("Parvik.LOG", "old content");
  WriteResultLog(log.c_str());
  EXPECT_TRUE(FileExists(log));
  EXPECT_EQ(ReadWholeFile(log), "");

  DestroyTestResultsList();
  resultsWindow = nullptr;
  temp.Write("Parvik.LOG", "old content");
  std::string fresh = temp.At("Fresh.LOG");
  WriteResultLog(log.c_str());
  WriteResultLog(fresh.c_str());
  CreateTestResultsList();

  EXPECT_EQ(ReadWholeFile(log), "");
  EXPECT_TRUE(FileExists(fresh));
  EXPECT_EQ(ReadWholeFile(fresh), "");
  EXPECT_TRUE(recordedMessages.empty());
}

TEST_F(ResultLogTest, ALogThatCannotBeOpenedIsReportedAndKeepsItsContent) {
  TempDir temp;
  std::string log = temp.Write("Parvik.LOG", "previous run\r");
  ShowRows({{TextRow, "end:2 sec"}});
  {
    HeldOpenFile inUse(log);
    WriteResultLog(log.c_str());
  }
  WriteResultLog(temp.At("missing folder\\Parvik.LOG").c_str());

  ASSERT_EQ(recordedMessages.size(), 2u);
  for (const RecordedMessage& message : recordedMessages)
    ExpectMessage(message, "Kann Logdatei nicht schreiben", "Fehler!", MB_OK);
  EXPECT_EQ(ReadWholeFile(log), "previous run\r");
  EXPECT_EQ(ListedRows().size(), 1u);
}

}  // namespace
