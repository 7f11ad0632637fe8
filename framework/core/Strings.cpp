#include "framework/core/Strings.h"

#include <locale.h>

#include <cmath>
#include <cstdlib>
#include <limits>

namespace fw {

namespace {

// Length of the well-formed UTF-8 sequence that starts at s[i], or 0 when the byte there
// does not start one (overlong forms, surrogates, values above U+10FFFF, stray continuation
// bytes and sequences cut short are all ill-formed).
size_t SequenceLength(std::string_view s, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char b0 = byte(i);
  if (b0 < 0x80) return 1;
  const size_t left = s.size() - i;
  const auto cont = [&](size_t k) { return (byte(i + k) & 0xC0) == 0x80; };
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    return left >= 2 && cont(1) ? 2 : 0;
  }
  if (b0 >= 0xE0 && b0 <= 0xEF) {
    if (left < 3) return 0;
    const unsigned char b1 = byte(i + 1);
    const unsigned char lo = b0 == 0xE0 ? 0xA0 : 0x80;  // E0: no overlong forms
    const unsigned char hi = b0 == 0xED ? 0x9F : 0xBF;  // ED: no surrogates
    return b1 >= lo && b1 <= hi && cont(2) ? 3 : 0;
  }
  if (b0 >= 0xF0 && b0 <= 0xF4) {
    if (left < 4) return 0;
    const unsigned char b1 = byte(i + 1);
    const unsigned char lo = b0 == 0xF0 ? 0x90 : 0x80;  // F0: no overlong forms
    const unsigned char hi = b0 == 0xF4 ? 0x8F : 0xBF;  // F4: nothing past U+10FFFF
    return b1 >= lo && b1 <= hi && cont(2) && cont(3) ? 4 : 0;
  }
  return 0;
}

// Characters are counted as the decoder sees them: a well-formed sequence is one character,
// and so is each byte that does not belong to one.
size_t CharacterLength(std::string_view s, size_t i) {
  const size_t n = SequenceLength(s, i);
  return n ? n : 1;
}

// Byte offset just past the first `count` characters (or the end).
size_t OffsetOfCharacter(std::string_view s, int64_t count) {
  size_t i = 0;
  for (int64_t c = 0; c < count && i < s.size(); ++c) i += CharacterLength(s, i);
  return i;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Qt sets the process locale from the environment, which can make strtod expect a decimal
// comma; numbers in our data always use a point.
locale_t CLocale() {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t{});
  return c;
}

}  // namespace

String Left(std::string_view s, int64_t count) {
  if (count <= 0) return String();
  return String(s.substr(0, OffsetOfCharacter(s, count)));
}

String Right(std::string_view s, int64_t count) {
  if (count <= 0) return String();
  const int64_t total = Len(s);
  if (count >= total) return String(s);
  return String(s.substr(OffsetOfCharacter(s, total - count)));
}

int64_t Len(std::string_view s) {
  int64_t count = 0;
  for (size_t i = 0; i < s.size(); i += CharacterLength(s, i)) ++count;
  return count;
}

String NthField(std::string_view s, std::string_view separator, int64_t index) {
  if (index < 1 || separator.empty()) return String();
  size_t start = 0;
  for (int64_t field = 1; field < index; ++field) {
    const size_t at = s.find(separator, start);
    if (at == std::string_view::npos) return String();
    start = at + separator.size();
  }
  const size_t end = s.find(separator, start);
  return String(s.substr(start, end == std::string_view::npos ? s.size() - start : end - start));
}

Array<String> Split(std::string_view s, std::string_view separator) {
  Array<String> pieces;
  if (separator.empty()) {
    pieces.Append(String(s));
    return pieces;
  }
  size_t start = 0;
  for (;;) {
    const size_t at = s.find(separator, start);
    if (at == std::string_view::npos) break;
    pieces.Append(String(s.substr(start, at - start)));
    start = at + separator.size();
  }
  pieces.Append(String(s.substr(start)));
  return pieces;
}

double Val(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  const size_t begin = i;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  size_t digits = 0;
  while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  }
  if (digits == 0) return 0;
  // An exponent counts only when at least one digit follows it: "2e" is 2.
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    if (j < s.size() && IsDigit(s[j])) {
      while (j < s.size() && IsDigit(s[j])) ++j;
      i = j;
    }
  }
  // strtod needs a terminated copy; the text is already known to be a plain number, so it
  // cannot wander into "inf", "nan" or hexadecimal forms.
  const std::string number(s.substr(begin, i - begin));
  return strtod_l(number.c_str(), nullptr, CLocale());
}

String Str(int32_t value) { return std::to_string(value); }

String ChrB(int value) { return String(1, static_cast<char>(static_cast<unsigned char>(value))); }

int32_t DoubleToInt32(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);  // in range: the cast truncates toward zero
}

String DecodeURLComponent(std::string_view s, TextEncoding /*encoding*/) {
  // The bytes are kept as decoded; callers that show the text clean it with ConvertEncoding.
  String out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && HexValue(s[i + 1]) >= 0 && HexValue(s[i + 2]) >= 0) {
      out.push_back(static_cast<char>(HexValue(s[i + 1]) * 16 + HexValue(s[i + 2])));
      i += 2;
    } else {
      out.push_back(s[i]);
    }
  }
  return out;
}

String ConvertEncoding(std::string_view s, TextEncoding /*encoding*/) {
  static constexpr char kReplacement[] = "\xEF\xBF\xBD";
  String out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    // Runs of ASCII are copied in one go: most tables are mostly ASCII.
    size_t run = i;
    while (run < s.size() && static_cast<unsigned char>(s[run]) < 0x80) ++run;
    if (run > i) {
      out.append(s.data() + i, run - i);
      i = run;
      continue;
    }
    const size_t n = SequenceLength(s, i);
    if (n) {
      out.append(s.data() + i, n);
      i += n;
    } else {
      out.append(kReplacement, 3);
      ++i;
    }
  }
  return out;
}

}  // namespace fw
