// Layout property streams: any bytes either decode or raise PropertyStreamException, never
// more. A stream that decodes is the one encoding of its pairs (the writer gives the same
// bytes back), and setting it on a target hands it each name's last value last. The same
// pairs then go through the setters of a window and of every control kind (without widgets:
// the values are only stored and clamped there), which must take any value.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string_view>

#include "framework/ui/Controls.h"
#include "framework/ui/PropertyStream.h"
#include "framework/ui/Timer.h"
#include "framework/ui/Window.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "fuzz_layout_stream: %s\n", what);
  std::abort();
}

// Keeps the last value each name was given.
class LastValues : public fw::PropertyTarget {
 public:
  void SetProperty(const fw::Property& property) override { last[property.name] = property.value; }
  std::map<fw::String, fw::PropertyValue> last;
};

template <class T>
void SetOn(std::string_view bytes) {
  auto target = fw::New<T>();
  fw::SetProperties(*target, bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<fw::Property> pairs;
  try {
    pairs = fw::DecodePropertyStream(bytes);
  } catch (const fw::PropertyStreamException&) {
    // A broken stream sets nothing on a target either.
    fw::PropertyTarget target;
    try {
      fw::SetProperties(target, bytes);
      Fail("SetProperties took a stream that does not decode");
    } catch (const fw::PropertyStreamException&) {
    }
    return 0;
  }

  fw::PropertyStreamWriter writer;
  for (const auto& p : pairs) writer.Add(p);
  if (writer.Bytes() != bytes) Fail("a decoded stream does not encode back to its bytes");

  LastValues plain;
  fw::SetProperties(plain, bytes);
  for (const auto& p : pairs) {
    const auto found = plain.last.find(p.name);
    if (found == plain.last.end()) Fail("a name of the stream was not set");
    const fw::PropertyValue* stored = &found->second;
    // The last pair of that name wins.
    const fw::Property* last = nullptr;
    for (const auto& q : pairs)
      if (q.name == p.name) last = &q;
    if (*stored != last->value) Fail("a stored value is not the last one the stream gave");
  }

  SetOn<fw::Window>(bytes);
  SetOn<fw::Timer>(bytes);
  SetOn<fw::Label>(bytes);
  SetOn<fw::PopupMenu>(bytes);
  SetOn<fw::CheckBox>(bytes);
  SetOn<fw::PushButton>(bytes);
  SetOn<fw::ImageWell>(bytes);
  SetOn<fw::Separator>(bytes);
  return 0;
}
