#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <vector>

#include "framework/core/Strings.h"

namespace {

using fw::String;

// "ファイル": four characters of three bytes each.
const String kFile = "\xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB";

std::vector<String> Pieces(const fw::Array<String>& a) {
  std::vector<String> out;
  for (int32_t i = 0; i <= a.Ubound(); ++i) out.push_back(a(i));
  return out;
}

TEST(StringsCharacters, LeftRightLenCountCodePointsNotBytes) {
  EXPECT_EQ(fw::Len(kFile), 4);
  EXPECT_EQ(fw::Left(kFile, 1), "\xE3\x83\x95");
  EXPECT_EQ(fw::Right(kFile, 2), "\xE3\x82\xA4\xE3\x83\xAB");
  // Mixed widths: 1, 2, 3 and 4 bytes.
  const String mixed = "a\xC3\xA9\xE3\x81\x82\xF0\x9F\x98\x80";
  EXPECT_EQ(fw::Len(mixed), 4);
  EXPECT_EQ(fw::Left(mixed, 3), "a\xC3\xA9\xE3\x81\x82");
  EXPECT_EQ(fw::Right(mixed, 1), "\xF0\x9F\x98\x80");
  EXPECT_EQ(fw::Right("00:00:00", 5), "00:00");
}

TEST(StringsCharacters, CountsOutsideTheTextAreClamped) {
  EXPECT_EQ(fw::Left(kFile, 0), "");
  EXPECT_EQ(fw::Left(kFile, -3), "");
  EXPECT_EQ(fw::Right(kFile, -1), "");
  EXPECT_EQ(fw::Left(kFile, 99), kFile);
  EXPECT_EQ(fw::Right(kFile, 99), kFile);
  EXPECT_EQ(fw::Len(""), 0);
  EXPECT_EQ(fw::Left("", 5), "");
}

TEST(StringsCharacters, EachInvalidByteIsOneCharacter) {
  // A cut-short sequence (E3 81), a stray continuation byte and an overlong form: each of
  // their bytes counts alone, and Left/Right never split a valid character.
  const String s =
      "\xE3\x81"
      "A\x80\xC0\xAF\xE3\x81\x82";
  EXPECT_EQ(fw::Len(s), 7);
  EXPECT_EQ(fw::Left(s, 3),
            "\xE3\x81"
            "A");
  EXPECT_EQ(fw::Right(s, 1), "\xE3\x81\x82");
  EXPECT_EQ(fw::Right(s, 2), "\xAF\xE3\x81\x82");
  EXPECT_EQ(fw::Len(std::string_view("\0\0", 2)), 2);
}

TEST(StringsFields, NthFieldCountsFromOne) {
  const String line = "0712\t3\tvoice.mp3";
  EXPECT_EQ(fw::NthField(line, "\t", 1), "0712");
  EXPECT_EQ(fw::NthField(line, "\t", 3), "voice.mp3");
  EXPECT_EQ(fw::NthField(line, "\t", 4), "");
  EXPECT_EQ(fw::NthField(line, "\t", 0), "");
  EXPECT_EQ(fw::NthField(line, "\t", -1), "");
  EXPECT_EQ(fw::NthField(line, "", 1), "");
  // The value of a "key=value" line stops at a second equals sign.
  EXPECT_EQ(fw::NthField("alarm=07=30", "=", 2), "07");
  EXPECT_EQ(fw::NthField("novalue", "=", 2), "");
  EXPECT_EQ(fw::NthField("novalue", "=", 1), "novalue");
  EXPECT_EQ(fw::NthField("1,,0,", ",", 2), "");
  EXPECT_EQ(fw::NthField("1,,0,", ",", 3), "0");
  EXPECT_EQ(fw::NthField("1,,0,", ",", 4), "");
  EXPECT_EQ(fw::NthField("a\r\nb\r\nc", "\r\n", 3), "c");
}

TEST(StringsFields, SplitGivesOneMorePieceThanSeparators) {
  using V = std::vector<String>;
  EXPECT_EQ(Pieces(fw::Split("a\r\nb\r\n", "\r\n")), (V{"a", "b", ""}));
  EXPECT_EQ(Pieces(fw::Split("\r\r", "\r")), (V{"", "", ""}));
  EXPECT_EQ(Pieces(fw::Split("", "\r")), (V{""}));
  EXPECT_EQ(Pieces(fw::Split("abc", "")), (V{"abc"}));
  EXPECT_EQ(Pieces(fw::Split("abc", "\r")), (V{"abc"}));
  // CR LF is one separator; a lone CR or LF inside a piece stays.
  EXPECT_EQ(Pieces(fw::Split("x\ry\r\nz\n", "\r\n")), (V{"x\ry", "z\n"}));
  // Overlapping candidates are cut left to right.
  EXPECT_EQ(Pieces(fw::Split("aaa", "aa")), (V{"", "a"}));
}

TEST(StringsNumbers, ValReadsTheLeadingNumber) {
  struct Case {
    const char* text;
    double expected;
  } cases[] = {
      {"", 0},       {"abc", 0},     {" 12abc", 12},      {"\t-3", -3},
      {"+7", 7},     {"1e30", 1e30}, {"2.5E-3", 0.0025},  {"2e", 2},
      {"2e+", 2},    {".5", 0.5},    {"-.25x", -0.25},    {"5.", 5},
      {"-", 0},      {".", 0},       {"- 3", 0},          {"0013", 13},
      {"12 34", 12}, {"1,5", 1},     {"inf", 0},          {"nan", 0},
      {"0x1A", 0},   {"\n5", 0},     {"1e400", HUGE_VAL},
  };
  for (const auto& c : cases) EXPECT_EQ(fw::Val(c.text), c.expected) << '"' << c.text << '"';
  EXPECT_TRUE(std::signbit(fw::Val("-0")));
}

TEST(StringsNumbers, StrChrBAndDoubleToInt32) {
  EXPECT_EQ(fw::Str(0), "0");
  EXPECT_EQ(fw::Str(-42), "-42");
  EXPECT_EQ(fw::Str(std::numeric_limits<int32_t>::min()), "-2147483648");
  EXPECT_EQ(fw::ChrB(9), "\t");
  EXPECT_EQ(fw::ChrB(0), String(1, '\0'));
  EXPECT_EQ(fw::ChrB(255), "\xFF");
  EXPECT_EQ(fw::ChrB(13) + fw::ChrB(10), "\r\n");

  const int32_t kMax = std::numeric_limits<int32_t>::max();
  const int32_t kMin = std::numeric_limits<int32_t>::min();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    double in;
    int32_t out;
  } cases[] = {
      {2.9, 2},
      {-2.9, -2},
      {-0.5, 0},
      {11.0, 11},
      {2147483647.9, kMax},
      {2147483648.0, kMax},
      {1e300, kMax},
      {inf, kMax},
      {-2147483648.9, kMin},
      {-2147483649.0, kMin},
      {-inf, kMin},
      {-1e300, kMin},
      {std::numeric_limits<double>::quiet_NaN(), 0},
  };
  for (const auto& c : cases) EXPECT_EQ(fw::DoubleToInt32(c.in), c.out) << c.in;
  // A schedule's actor number "13" minus one reads entry 12.
  EXPECT_EQ(fw::DoubleToInt32(fw::Val("13") - 1.0), 12);
}

TEST(StringsEncoding, DecodeURLComponentDecodesOnlyWellFormedEscapes) {
  EXPECT_EQ(fw::DecodeURLComponent("%41%62c"), "Abc");
  EXPECT_EQ(fw::DecodeURLComponent("%e3%81%82"), "\xE3\x81\x82");
  EXPECT_EQ(fw::DecodeURLComponent("a+b"), "a+b");
  EXPECT_EQ(fw::DecodeURLComponent("100%"), "100%");
  EXPECT_EQ(fw::DecodeURLComponent("%4"), "%4");
  EXPECT_EQ(fw::DecodeURLComponent("%zz%4g"), "%zz%4g");
  EXPECT_EQ(fw::DecodeURLComponent("%%41"), "%A");
  EXPECT_EQ(fw::DecodeURLComponent("%2541"), "%41");  // decoded once, not twice
  EXPECT_EQ(fw::DecodeURLComponent("a%0D%0Ab%00c"), String("a\r\nb\0c", 6));
  EXPECT_EQ(fw::DecodeURLComponent(""), "");
}

TEST(StringsEncoding, ConvertEncodingReplacesEachInvalidByte) {
  const String fffd = "\xEF\xBF\xBD";
  struct Case {
    String in, out;
  } cases[] = {
      {"plain ascii", "plain ascii"},
      {kFile, kFile},
      {"\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF"},         // U+10FFFF, the last code point
      {"\xED\x9F\xBF", "\xED\x9F\xBF"},                 // U+D7FF, just below surrogates
      {"\xC0\x80", fffd + fffd},                        // overlong NUL
      {"\xE0\x80\xAF", fffd + fffd + fffd},             // overlong "/"
      {"\xF0\x8F\xBF\xBF", fffd + fffd + fffd + fffd},  // overlong U+FFFF
      {"\xED\xA0\x80", fffd + fffd + fffd},             // surrogate D800
      {"\xF4\x90\x80\x80", fffd + fffd + fffd + fffd},  // above U+10FFFF
      {"\xE3\x81"
       "A",
       fffd + fffd + "A"},               // cut short, then ASCII
      {"x\xE3\x81", "x" + fffd + fffd},  // cut short by the end
      {"\x80\xBF", fffd + fffd},         // stray continuation bytes
      {"\xFE\xFF\xF8", fffd + fffd + fffd},
      {String("a\0b", 3), String("a\0b", 3)},
  };
  for (const auto& c : cases) EXPECT_EQ(fw::ConvertEncoding(c.in, fw::Encodings::UTF8), c.out);
  // The result is always valid: converting twice changes nothing more.
  const String once = fw::ConvertEncoding("\xC3\x28\xA0\xA1\xE2\x28\xA1", fw::Encodings::UTF8);
  EXPECT_EQ(fw::ConvertEncoding(once, fw::Encodings::UTF8), once);
}

TEST(StringsEncoding, LargeTablesConvertInLinearTime) {
  // 4 MB of mixed text, a fifth of it invalid bytes: quadratic work would not finish.
  String big;
  for (int i = 0; i < 400000; ++i) big += "ab\t\xE3\x81\x82\xFF\xC3\r\n";
  const auto start = std::chrono::steady_clock::now();
  const String out = fw::ConvertEncoding(big, fw::Encodings::UTF8);
  const String decoded = fw::DecodeURLComponent(big);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(out.size(), big.size() + 400000u * 4);  // two bytes became six
  EXPECT_EQ(decoded, big);
  EXPECT_EQ(fw::Split(big, "\r\n").Count(), 400001);
  EXPECT_LT(elapsed, std::chrono::seconds(10));
}

}  // namespace
