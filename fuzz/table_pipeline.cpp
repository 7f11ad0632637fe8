// The text-table pipeline on any bytes: percent-decoding, splitting on CR LF and CR, fields
// on tab (and on "=" and "," as the settings file uses them), Val, the conversion to Int32,
// the character functions and the UTF-8 clean-up of names. Besides "no crash, no sanitizer
// report", each step is held to what the clock relies on: Split and NthField agree and lose
// no byte, numbers land in Int32 the way DoubleToInt32 promises, cleaned text is valid UTF-8
// and stays as it is when cleaned again.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "framework/core/Strings.h"

namespace {

[[noreturn]] void Fail(const char* what, std::string_view input) {
  std::fprintf(stderr, "fuzz_table_pipeline: %s (input of %zu bytes)\n", what, input.size());
  std::abort();
}

// Well-formed UTF-8 by the table of the Unicode standard (ch. 3, "Well-Formed UTF-8 Byte
// Sequences"), written independently of the framework's decoder.
bool IsWellFormedUtf8(std::string_view s) {
  struct Row {
    unsigned char lo0, hi0, lo1, hi1;
    int length;
  };
  static constexpr Row kRows[] = {
      {0xC2, 0xDF, 0x80, 0xBF, 2}, {0xE0, 0xE0, 0xA0, 0xBF, 3}, {0xE1, 0xEC, 0x80, 0xBF, 3},
      {0xED, 0xED, 0x80, 0x9F, 3}, {0xEE, 0xEF, 0x80, 0xBF, 3}, {0xF0, 0xF0, 0x90, 0xBF, 4},
      {0xF1, 0xF3, 0x80, 0xBF, 4}, {0xF4, 0xF4, 0x80, 0x8F, 4},
  };
  size_t i = 0;
  while (i < s.size()) {
    const auto b = [&](size_t k) { return static_cast<unsigned char>(s[i + k]); };
    if (b(0) < 0x80) {
      ++i;
      continue;
    }
    const Row* row = nullptr;
    for (const Row& r : kRows)
      if (b(0) >= r.lo0 && b(0) <= r.hi0) row = &r;
    if (!row || s.size() - i < static_cast<size_t>(row->length)) return false;
    if (b(1) < row->lo1 || b(1) > row->hi1) return false;
    for (int k = 2; k < row->length; ++k)
      if (b(k) < 0x80 || b(k) > 0xBF) return false;
    i += static_cast<size_t>(row->length);
  }
  return true;
}

size_t Occurrences(std::string_view s, std::string_view separator) {
  size_t n = 0;
  for (size_t at = s.find(separator); at != std::string_view::npos;
       at = s.find(separator, at + separator.size()))
    ++n;
  return n;
}

void CheckSplitAndFields(std::string_view s, std::string_view separator) {
  const fw::Array<fw::String> parts = fw::Split(s, separator);
  if (static_cast<size_t>(parts.Count()) != Occurrences(s, separator) + 1)
    Fail("Split gives the wrong number of pieces", s);
  std::string joined;
  for (int32_t i = 0; i <= parts.Ubound(); ++i) {
    if (i) joined += separator;
    joined += parts(i);
  }
  if (joined != s) Fail("the pieces of Split do not join back to the text", s);
  // Field k is piece k - 1; past the last piece there is nothing. Only the first few are
  // compared: NthField walks from the start each time.
  const int32_t last = std::min<int32_t>(parts.Count() + 1, 24);
  for (int32_t k = 1; k <= last; ++k) {
    const fw::String field = fw::NthField(s, separator, k);
    const fw::String want = k <= parts.Count() ? parts(k - 1) : fw::String();
    if (field != want) Fail("NthField disagrees with Split", s);
  }
  if (!fw::NthField(s, separator, 0).empty() || !fw::NthField(s, separator, -7).empty())
    Fail("a field number below 1 gives text", s);
}

void CheckNumber(std::string_view text) {
  const double v = fw::Val(text);
  if (std::isnan(v)) Fail("Val gives NaN", text);
  const int32_t n = fw::DoubleToInt32(v);
  if (v >= 2147483647.0) {
    if (n != INT32_MAX) Fail("a large value does not saturate", text);
  } else if (v <= -2147483648.0) {
    if (n != INT32_MIN) Fail("a large negative value does not saturate", text);
  } else if (static_cast<double>(n) != std::trunc(v)) {
    Fail("an Int32-range value is not truncated toward zero", text);
  }
  // No digit where a number would start: 0.
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  if (i < text.size() && text[i] == '.') ++i;
  if ((i >= text.size() || text[i] < '0' || text[i] > '9') && v != 0)
    Fail("Val reads a number where there is none", text);
}

void CheckCleanText(std::string_view raw) {
  const fw::String clean = fw::ConvertEncoding(raw, fw::Encodings::UTF8);
  if (!IsWellFormedUtf8(clean)) Fail("ConvertEncoding gives ill-formed UTF-8", raw);
  if (IsWellFormedUtf8(raw) && clean != raw) Fail("ConvertEncoding changes valid UTF-8", raw);
  if (fw::ConvertEncoding(clean, fw::Encodings::UTF8) != clean)
    Fail("ConvertEncoding changes its own output", raw);
}

void CheckCharacters(std::string_view s) {
  const int64_t length = fw::Len(s);
  if (length < 0 || static_cast<size_t>(length) > s.size()) Fail("Len out of range", s);
  if (fw::Left(s, length) != s || fw::Right(s, length) != s) Fail("Left/Right of Len drop text", s);
  for (int64_t k : {int64_t{0}, int64_t{1}, int64_t{2}, int64_t{5}, length / 2, length - 1}) {
    if (k < 0 || k > length) continue;
    if (fw::Left(s, k) + fw::Right(s, length - k) != s) Fail("Left and Right do not meet", s);
    if (fw::Len(fw::Left(s, k)) != k) Fail("Left gives the wrong number of characters", s);
  }
  if (!fw::Left(s, -1).empty() || !fw::Right(s, -1).empty()) Fail("a negative count gives text", s);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string cr = fw::ChrB(13), crlf = fw::ChrB(13) + fw::ChrB(10), tab = fw::ChrB(9);

  const fw::String decoded = fw::DecodeURLComponent(input, fw::Encodings::UTF8);
  if (decoded.size() > input.size()) Fail("percent-decoding grows the text", input);
  if (input.find('%') == std::string_view::npos && decoded != input)
    Fail("percent-decoding changes text without a %", input);

  for (std::string_view separator :
       {std::string_view(crlf), std::string_view(cr), std::string_view(tab), std::string_view("="),
        std::string_view(",")})
    CheckSplitAndFields(input, separator);
  CheckSplitAndFields(decoded, crlf);
  CheckCharacters(input);
  CheckCleanText(input);
  CheckCleanText(decoded);

  // What the clock does with the tables: names and alarm entries are percent-decoded and cut
  // at CR LF, the schedules cut at CR; fields on tab, numbers from fields.
  const fw::Array<fw::String> entries = fw::Split(decoded, crlf);
  for (int32_t i = 0; i <= entries.Ubound() && i < 64; ++i) {
    const fw::String& line = entries(i);
    for (int k = 1; k <= 3; ++k) {
      const fw::String field = fw::NthField(line, tab, k);
      CheckNumber(field);
      CheckCleanText(field);
    }
  }
  const fw::Array<fw::String> schedule = fw::Split(input, cr);
  for (int32_t i = 0; i <= schedule.Ubound() && i < 64; ++i) {
    CheckNumber(fw::NthField(schedule(i), tab, 1));
    CheckNumber(fw::NthField(schedule(i), tab, 2));
  }
  CheckNumber(input);
  return 0;
}
