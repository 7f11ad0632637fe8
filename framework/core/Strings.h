#pragma once
// String functions. A String holds UTF-8 bytes; Left, Right and Len count characters
// (code points), the B-functions count bytes.
#include <cstdint>
#include <string>
#include <string_view>

#include "framework/core/Array.h"

namespace fw {

using String = std::string;

String Left(std::string_view s, int64_t count);
String Right(std::string_view s, int64_t count);
int64_t Len(std::string_view s);

// Field `index` (1-based) of s cut at every `separator`; "" when absent or separator empty.
String NthField(std::string_view s, std::string_view separator, int64_t index);
// n separators give n + 1 pieces; the empty text gives one empty piece.
Array<String> Split(std::string_view s, std::string_view separator);

// The number at the start of the text (after leading blanks); 0 when there is none.
double Val(std::string_view s);
// Plain decimal text of an Int32.
String Str(int32_t value);
// One-byte character.
String ChrB(int value);

// Double to Int32: truncates toward zero, saturates at the Int32 range, NaN gives 0.
int32_t DoubleToInt32(double value);

enum class TextEncoding { UTF8 };
namespace Encodings {
inline constexpr TextEncoding UTF8 = TextEncoding::UTF8;
}

// Percent-decoding of a URL component (RFC 3986). "+" stays "+"; a "%" not followed by two
// hexadecimal digits stays as it is. The decoded bytes are taken as text in `encoding`.
String DecodeURLComponent(std::string_view s, TextEncoding encoding = Encodings::UTF8);
// Valid UTF-8 comes back unchanged; every invalid byte becomes U+FFFD.
String ConvertEncoding(std::string_view s, TextEncoding encoding);

}  // namespace fw
