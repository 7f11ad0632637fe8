#include "framework/core/Date.h"

#include <cstdio>
#include <ctime>

#include "framework/core/Testing.h"
#include "framework/core/WallClock.h"

namespace fw {

namespace {

ClockSource& Clock() {
  static ClockSource source;
  return source;
}

}  // namespace

std::chrono::system_clock::time_point WallClockNow() {
  const ClockSource& source = Clock();
  return source ? source() : std::chrono::system_clock::now();
}

Date::Date() {
  // Whole seconds, rounded down, so that a time just before a full second never shows it.
  const auto seconds = std::chrono::floor<std::chrono::seconds>(WallClockNow().time_since_epoch());
  const std::time_t t = static_cast<std::time_t>(seconds.count());
  std::tm local{};
  if (!localtime_r(&t, &local)) {  // a clock far outside the calendar's range
    local = std::tm{};
    local.tm_year = 70;
    local.tm_mday = 1;
  }
  year_ = local.tm_year + 1900;
  month_ = local.tm_mon + 1;
  day_ = local.tm_mday;
  hour_ = local.tm_hour;
  minute_ = local.tm_min;
  second_ = local.tm_sec;
}

String Date::SQLDateTime() const {
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", year_, month_, day_, hour_,
                minute_, second_);
  return text;
}

String Str(const Date& date) { return date.SQLDateTime(); }

void SetClockForTesting(ClockSource source) { Clock() = std::move(source); }

}  // namespace fw
