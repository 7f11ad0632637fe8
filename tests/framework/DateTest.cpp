#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "framework/Testing.h"
#include "framework/core/Date.h"

namespace {

using namespace std::chrono;

// Fixes the time zone and the framework's clock for each test and restores both after.
class DateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* tz = std::getenv("TZ")) oldTz_ = tz;
  }
  void TearDown() override {
    fw::SetClockForTesting(nullptr);
    if (oldTz_)
      setenv("TZ", oldTz_->c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }
  static void Zone(const char* tz) {
    setenv("TZ", tz, 1);
    tzset();
  }
  static void ClockAt(system_clock::time_point t) {
    fw::SetClockForTesting([t] { return t; });
  }
  static system_clock::time_point Utc(int64_t seconds, int64_t millis = 0) {
    return system_clock::time_point(std::chrono::seconds(seconds) + milliseconds(millis));
  }

 private:
  std::optional<std::string> oldTz_;
};

TEST_F(DateTest, FieldsAndTextAreLocalTime) {
  Zone("JST-9");
  ClockAt(Utc(1704034800));  // 2023-12-31 15:00:00 UTC
  const auto date = fw::New<fw::Date>();
  EXPECT_EQ(date->Year(), 2024);
  EXPECT_EQ(date->Month(), 1);
  EXPECT_EQ(date->Day(), 1);
  EXPECT_EQ(date->Hour(), 0);
  EXPECT_EQ(date->Minute(), 0);
  EXPECT_EQ(date->Second(), 0);
  EXPECT_EQ(date->SQLDateTime(), "2024-01-01 00:00:00");
  EXPECT_EQ(fw::Str(date), "2024-01-01 00:00:00");

  // Summer time applies where the zone has it.
  Zone("CET-1CEST,M3.5.0,M10.5.0/3");
  ClockAt(Utc(1719835200));  // 2024-07-01 12:00:00 UTC
  EXPECT_EQ(fw::Date().SQLDateTime(), "2024-07-01 14:00:00");
  ClockAt(Utc(1704110400));  // 2024-01-01 12:00:00 UTC
  EXPECT_EQ(fw::Date().SQLDateTime(), "2024-01-01 13:00:00");
}

TEST_F(DateTest, FractionsOfASecondRoundDown) {
  Zone("JST-9");
  ClockAt(Utc(1709218799, 999));  // 2024-02-29 23:59:59.999 in Tokyo
  EXPECT_EQ(fw::Date().SQLDateTime(), "2024-02-29 23:59:59");
  Zone("UTC0");
  ClockAt(Utc(0, -500));  // half a second before the epoch
  EXPECT_EQ(fw::Date().SQLDateTime(), "1969-12-31 23:59:59");
}

TEST_F(DateTest, EachDateReadsTheClockAndNullptrRestoresTheSystemClock) {
  Zone("UTC0");
  int64_t now = 946684799;  // 1999-12-31 23:59:59
  fw::SetClockForTesting([&now] { return Utc(now); });
  EXPECT_EQ(fw::Date().SQLDateTime(), "1999-12-31 23:59:59");
  ++now;
  EXPECT_EQ(fw::Date().SQLDateTime(), "2000-01-01 00:00:00");

  fw::SetClockForTesting(nullptr);
  const std::time_t before = std::time(nullptr);
  const fw::Date real;
  std::tm tm{};
  gmtime_r(&before, &tm);
  EXPECT_EQ(real.Year(), tm.tm_year + 1900);
  EXPECT_GE(real.Year(), 2024);
}

}  // namespace
