// The four text tables: read once, split on their own line ends, two of them percent-decoded.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "clock/TextTables.h"
#include "support/ClockFixture.h"

using testsupport::ClockFixture;
using testsupport::Payload;

class TextTables : public ClockFixture {
 protected:
  void SetUp() override { MakePayload(Payload::Standard); }
};

TEST_F(TextTables, EachTableSplitsOnItsOwnLineEnd) {
  WriteTable("ActMain.txt", "01%09%E8%91%B5%09aoi\r\n02%09%E6%A1%9C%09sakura\r\n");
  WriteTable("ActTime.txt", "0000\t1\r0001\t2\r");
  WriteTable("ActSerif.txt", "0000\t3\r");
  WriteTable("Alarm.txt", "%E3%83%99%E3%83%AB%09alarm01.mp3\r\n");
  auto w = Start();
  ASSERT_EQ(w->seiyuName.Ubound(), 2);  // the piece after the last line end is empty
  EXPECT_EQ(w->seiyuName(0), "01\t葵\taoi");
  EXPECT_EQ(w->seiyuName(1), "02\t桜\tsakura");
  EXPECT_EQ(w->seiyuName(2), "");
  ASSERT_EQ(w->timeArray.Ubound(), 2);
  EXPECT_EQ(w->timeArray(1), "0001\t2");
  EXPECT_EQ(w->serifArray(0), "0000\t3");
  EXPECT_EQ(w->alarmArray(0), "ベル\talarm01.mp3");
}

TEST_F(TextTables, EscapedLineEndSplitsAndScheduleIsNotDecoded) {
  WriteTable("Alarm.txt", "one%09a.mp3%0D%0Atwo%09b.mp3");
  WriteTable("ActTime.txt", "0000\t%31\r");
  auto w = Start();
  ASSERT_EQ(w->alarmArray.Ubound(), 1);
  EXPECT_EQ(w->alarmArray(1), "two\tb.mp3");
  EXPECT_EQ(w->timeArray(0), "0000\t%31");
}

TEST_F(TextTables, WrongLineEndsGiveOneElementOrStrayLineFeeds) {
  WriteTable("ActMain.txt", "a%09b%09c\rd%09e%09f\r");  // bare CR where CR LF belongs
  WriteTable("ActTime.txt", "0000\t1\r\n0001\t1\r\n");  // CR LF where bare CR belongs
  auto w = Start();
  EXPECT_EQ(w->seiyuName.Ubound(), 0);
  ASSERT_EQ(w->timeArray.Ubound(), 2);
  EXPECT_EQ(w->timeArray(1), "\n0001\t1");
}

TEST_F(TextTables, MissingTablesGiveOneEmptyElement) {
  auto w = Start();
  EXPECT_EQ(w->seiyuName.Ubound(), 0);
  EXPECT_EQ(w->seiyuName(0), "");
  EXPECT_EQ(w->alarmArray.Ubound(), 0);
}

TEST_F(TextTables, OversizedOrNonRegularTablesCountAsMissing) {
  const auto sized = [&](const char* name, std::uintmax_t bytes) {
    WriteTable(name, "");
    std::filesystem::resize_file(ResourcesDir() / name, bytes);
  };
  sized("ActTime.txt", 4 << 20);                                       // at the bound: read
  sized("ActSerif.txt", (4 << 20) + 1);                                // one byte over: missing
  ASSERT_EQ(mkfifo((ResourcesDir() / "Alarm.txt").c_str(), 0600), 0);  // would block the start
  auto w = Start();
  EXPECT_EQ(w->timeArray(0).size(), 4u << 20);
  EXPECT_EQ(w->serifArray.Ubound(), 0);
  EXPECT_EQ(w->serifArray(0), "");
  EXPECT_EQ(w->alarmArray.Ubound(), 0);
  EXPECT_EQ(w->alarmArray(0), "");
}

TEST_F(TextTables, ReadAtMostOnceEvenAfterAMiss) {
  WriteTable("ActTime.txt", "0000\t1\r");
  EXPECT_EQ(clockcore::ActTime(), "0000\t1\r");
  EXPECT_EQ(clockcore::ActSerif(), "");  // missing now
  WriteTable("ActTime.txt", "changed");
  WriteTable("ActSerif.txt", "0000\t2\r");
  EXPECT_EQ(clockcore::ActTime(), "0000\t1\r");  // the cached text, file not read again
  EXPECT_EQ(clockcore::ActSerif(), "");          // a miss is never retried
  clockcore::ReleaseTableTexts();
  EXPECT_EQ(clockcore::ActTime(), "");  // released at exit, and still not read again
}

TEST_F(TextTables, ShippedTablesHoldWhatTheClockNeeds) {
  UseShippedTables();
  auto w = Start();
  ASSERT_GE(w->seiyuName.Ubound(), 11);
  for (int i = 0; i <= 11; ++i) {
    EXPECT_FALSE(fw::NthField(w->seiyuName(i), "\t", 2).empty()) << "actor " << i;
    EXPECT_FALSE(fw::NthField(w->seiyuName(i), "\t", 3).empty()) << "actor " << i;
  }
  ASSERT_GE(w->alarmArray.Ubound(), 71);
  for (int i = 0; i <= 71; ++i) EXPECT_FALSE(fw::NthField(w->alarmArray(i), "\t", 2).empty());
  // At least one line per minute of the day, ending with the closing CR.
  const int32_t last = w->timeArray.Ubound();
  EXPECT_GE(last, 1440);
  EXPECT_EQ(w->timeArray(last), "");
  EXPECT_EQ(fw::NthField(w->timeArray(0), "\t", 1), "0000");
  EXPECT_EQ(fw::NthField(w->timeArray(last - 1), "\t", 1), "2359");
  EXPECT_GE(w->serifArray.Ubound(), 144);
  EXPECT_EQ(w->serifArray(w->serifArray.Ubound()), "");
}
