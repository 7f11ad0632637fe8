#pragma once
// Layout property streams: the byte-encoded design-time properties of a window or control.
// A stream is a run of pairs: name (ASCII, starts with a capital), one blank, then an untagged
// value whose width the name alone fixes: Int32 4 bytes big-endian, Boolean 1 byte,
// colour 3 bytes (r, g, b), text a 4-byte big-endian byte count then that many bytes.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "framework/core/Object.h"
#include "framework/core/Strings.h"
#include "framework/ui/PropertyNames.h"

namespace fw {

struct Colour {
  uint8_t red = 0, green = 0, blue = 0;
  friend bool operator==(const Colour&, const Colour&) = default;
};

using PropertyValue = std::variant<int32_t, bool, Colour, String>;

struct Property {
  String name;
  PropertyValue value;
  friend bool operator==(const Property&, const Property&) = default;
};

// Builds a stream pair by pair; a name whose kind does not match the value raises
// PropertyStreamException, so a stream built here always decodes.
class PropertyStreamWriter {
 public:
  PropertyStreamWriter& Int(std::string_view name, int32_t value);
  PropertyStreamWriter& Bool(std::string_view name, bool value);
  PropertyStreamWriter& Rgb(std::string_view name, uint8_t r, uint8_t g, uint8_t b);
  PropertyStreamWriter& Text(std::string_view name, std::string_view value);
  PropertyStreamWriter& Add(const Property& property);
  const String& Bytes() const { return bytes_; }

 private:
  void Name(std::string_view name, PropertyKind kind);
  String bytes_;
};

// Decodes a whole stream. A truncated value, a missing blank, a malformed or unknown name
// raises PropertyStreamException; nothing is read past the end.
std::vector<Property> DecodePropertyStream(std::string_view bytes);

// An object whose design-time properties a stream can set.
class PropertyTarget {
 public:
  virtual ~PropertyTarget() = default;
  // Sets one property. The default changes nothing: many design-time properties only pass
  // through, and a bound one lives in its class's own member, read through its getter. A class
  // that acts on some names derives through BindsProperties (PropertyBinding.h) rather than
  // overriding this.
  virtual void SetProperty(const Property& /*property*/) {}
};

// The mass property setter: decodes the stream, then sets each pair from first to last.
void SetProperties(PropertyTarget& target, std::string_view stream);

}  // namespace fw
