#include "framework/ui/PropertyStream.h"

#include <algorithm>
#include <cstdio>

#include "framework/ui/Testing.h"

namespace fw {

namespace {

const char* KindName(PropertyKind kind) {
  switch (kind) {
    case PropertyKind::Int32:
      return "Int32";
    case PropertyKind::Boolean:
      return "Boolean";
    case PropertyKind::Colour:
      return "colour";
    case PropertyKind::Text:
      return "text";
  }
  return "?";
}

[[noreturn]] void Fail(const std::string& message) {
  throw PropertyStreamException("layout property stream: " + message);
}

bool IsUpper(unsigned char c) { return c >= 'A' && c <= 'Z'; }
bool IsNameByte(unsigned char c) {
  return IsUpper(c) || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

void AppendBigEndian32(String& out, uint32_t v) {
  out.push_back(static_cast<char>((v >> 24) & 0xFF));
  out.push_back(static_cast<char>((v >> 16) & 0xFF));
  out.push_back(static_cast<char>((v >> 8) & 0xFF));
  out.push_back(static_cast<char>(v & 0xFF));
}

// Reads the stream front to back; every read checks what is left first.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}
  bool AtEnd() const { return pos_ >= bytes_.size(); }

  Property Next() {
    const size_t start = pos_;
    const String name = ReadName();
    const auto kind = KindOfProperty(name);
    if (!kind) Fail("unknown property name \"" + name + "\" at offset " + std::to_string(start));
    switch (*kind) {
      case PropertyKind::Int32: {
        Need(4, name, *kind);
        return {name, static_cast<int32_t>(Read32())};
      }
      case PropertyKind::Boolean: {
        Need(1, name, *kind);
        const unsigned char b = Byte(pos_);
        if (b > 1)
          Fail("Boolean \"" + name + "\" at offset " + std::to_string(pos_) + " has byte " +
               std::to_string(b) + ", not 0 or 1");
        ++pos_;
        return {name, b == 1};
      }
      case PropertyKind::Colour: {
        Need(3, name, *kind);
        Colour c{Byte(pos_), Byte(pos_ + 1), Byte(pos_ + 2)};
        pos_ += 3;
        return {name, c};
      }
      case PropertyKind::Text: {
        Need(4, name, *kind);
        const size_t lengthAt = pos_;
        const uint32_t length = Read32();
        if (length > bytes_.size() - pos_)
          Fail("text \"" + name + "\" at offset " + std::to_string(lengthAt) + " claims " +
               std::to_string(length) + " bytes but only " + std::to_string(bytes_.size() - pos_) +
               " remain");
        String text(bytes_.substr(pos_, length));
        pos_ += length;
        return {name, std::move(text)};
      }
    }
    Fail("unreachable property kind");
  }

 private:
  unsigned char Byte(size_t at) const { return static_cast<unsigned char>(bytes_[at]); }

  String ReadName() {
    const size_t start = pos_;
    while (pos_ < bytes_.size() && IsNameByte(Byte(pos_))) ++pos_;
    const std::string_view name = bytes_.substr(start, pos_ - start);
    if (pos_ >= bytes_.size())
      Fail("stream ends inside the name at offset " + std::to_string(start) +
           " (no blank after \"" + String(name) + "\")");
    if (name.empty()) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "%02X", Byte(pos_));
      Fail("empty or malformed property name at offset " + std::to_string(start) + " (byte 0x" +
           hex + ")");
    }
    if (Byte(pos_) != ' ') {
      char hex[8];
      std::snprintf(hex, sizeof hex, "%02X", Byte(pos_));
      Fail("property name \"" + String(name) + "\" at offset " + std::to_string(start) +
           " is followed by byte 0x" + hex + " instead of a blank");
    }
    if (!IsUpper(Byte(start)))
      Fail("property name \"" + String(name) + "\" at offset " + std::to_string(start) +
           " does not start with a capital letter");
    ++pos_;  // the blank
    return String(name);
  }

  void Need(size_t count, const String& name, PropertyKind kind) const {
    const size_t left = bytes_.size() - pos_;
    if (left < count)
      Fail("truncated " + std::string(KindName(kind)) + " value of \"" + name + "\" at offset " +
           std::to_string(pos_) + ": needs " + std::to_string(count) + " bytes, " +
           std::to_string(left) + " left");
  }

  uint32_t Read32() {
    const uint32_t v = (uint32_t{Byte(pos_)} << 24) | (uint32_t{Byte(pos_ + 1)} << 16) |
                       (uint32_t{Byte(pos_ + 2)} << 8) | uint32_t{Byte(pos_ + 3)};
    pos_ += 4;
    return v;
  }

  std::string_view bytes_;
  size_t pos_ = 0;
};

}  // namespace

PropertyKind KindOfValue(const PropertyValue& value) {
  switch (value.index()) {
    case 0:
      return PropertyKind::Int32;
    case 1:
      return PropertyKind::Boolean;
    case 2:
      return PropertyKind::Colour;
    default:
      return PropertyKind::Text;
  }
}

void PropertyStreamWriter::Name(std::string_view name, PropertyKind kind) {
  const auto known = KindOfProperty(name);
  if (!known) Fail("unknown property name \"" + String(name) + "\"");
  if (*known != kind)
    Fail("property \"" + String(name) + "\" takes a value of kind " + KindName(*known) + ", not " +
         KindName(kind));
  bytes_.append(name);
  bytes_.push_back(' ');
}

PropertyStreamWriter& PropertyStreamWriter::Int(std::string_view name, int32_t value) {
  Name(name, PropertyKind::Int32);
  AppendBigEndian32(bytes_, static_cast<uint32_t>(value));
  return *this;
}

PropertyStreamWriter& PropertyStreamWriter::Bool(std::string_view name, bool value) {
  Name(name, PropertyKind::Boolean);
  bytes_.push_back(value ? '\x01' : '\x00');
  return *this;
}

PropertyStreamWriter& PropertyStreamWriter::Rgb(std::string_view name, uint8_t r, uint8_t g,
                                                uint8_t b) {
  Name(name, PropertyKind::Colour);
  bytes_.push_back(static_cast<char>(r));
  bytes_.push_back(static_cast<char>(g));
  bytes_.push_back(static_cast<char>(b));
  return *this;
}

PropertyStreamWriter& PropertyStreamWriter::Text(std::string_view name, std::string_view value) {
  if (value.size() > UINT32_MAX) Fail("text \"" + String(name) + "\" is too long");
  Name(name, PropertyKind::Text);
  AppendBigEndian32(bytes_, static_cast<uint32_t>(value.size()));
  bytes_.append(value);
  return *this;
}

PropertyStreamWriter& PropertyStreamWriter::Add(const Property& property) {
  return std::visit(
      [&](const auto& v) -> PropertyStreamWriter& {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, int32_t>)
          return Int(property.name, v);
        else if constexpr (std::is_same_v<T, bool>)
          return Bool(property.name, v);
        else if constexpr (std::is_same_v<T, Colour>)
          return Rgb(property.name, v.red, v.green, v.blue);
        else
          return Text(property.name, v);
      },
      property.value);
}

std::vector<Property> DecodePropertyStream(std::string_view bytes) {
  std::vector<Property> pairs;
  Reader reader(bytes);
  while (!reader.AtEnd()) pairs.push_back(reader.Next());
  return pairs;
}

void SetProperties(PropertyTarget& target, std::string_view stream) {
  // A broken stream sets nothing: decode it all before the first pair reaches the target.
  const std::vector<Property> pairs = DecodePropertyStream(stream);
  for (const auto& p : pairs) target.SetProperty(p);
}

}  // namespace fw
