#pragma once
// Dates in local time. Tests set the framework's clock (Testing.h); the program has no
// setting for it.
#include "framework/core/Object.h"
#include "framework/core/Strings.h"

namespace fw {

class Date : public Object {
 public:
  Date();  // the current local date and time
  std::string FullClassName() const override { return "Date"; }
  int Year() const { return year_; }
  int Month() const { return month_; }
  int Day() const { return day_; }
  int Hour() const { return hour_; }
  int Minute() const { return minute_; }
  int Second() const { return second_; }
  // "YYYY-MM-DD HH:MM:SS": the text form ends in the 24-hour time.
  String SQLDateTime() const;

 private:
  int year_, month_, day_, hour_, minute_, second_;
};

String Str(const Date& date);
inline String Str(const Ref<Date>& date) { return Str(*date); }

}  // namespace fw
