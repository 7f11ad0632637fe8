#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <random>
#include <string_view>
#include <vector>

#include "framework/Testing.h"
#include "framework/ui/PropertyStream.h"

namespace {

using fw::Property;
using fw::PropertyKind;
using fw::PropertyStreamException;
using fw::PropertyStreamWriter;
using fw::String;

String Bytes(std::initializer_list<int> values) {
  String s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

// The main window's stream: 21 pairs, numbers and flags around one colour and one title.
PropertyStreamWriter MainWindowStream() {
  PropertyStreamWriter w;
  w.Int("Placement", 0)
      .Int("Width", 320)
      .Int("Height", 480)
      .Int("MinWidth", 64)
      .Int("MinHeight", 64)
      .Int("MaxWidth", 32000)
      .Int("MaxHeight", 32000)
      .Int("Frame", 0)
      .Bool("Composite", false)
      .Bool("HasBackColor", false)
      .Rgb("BackColor", 0, 19, 255)
      .Text("Title", "00:00:00")
      .Bool("Visible", true)
      .Bool("FullScreen", false)
      .Bool("MenuBarVisible", true)
      .Bool("CloseButton", true)
      .Bool("Resizeable", false)
      .Bool("LiveResize", false)
      .Bool("MaximizeButton", false)
      .Bool("MinimizeButton", false)
      .Int("MacProcID", 0);
  return w;
}

// A control's stream with texts, a CR-separated list and a negative index.
PropertyStreamWriter PopupStream() {
  PropertyStreamWriter w;
  w.Text("Name", "alarmPopup")
      .Int("Index", -2147483648)
      .Int("Left", 99)
      .Int("Top", 181)
      .Bool("LockLeft", true)
      .Text("InitialValue", "one\rtwo\r\xE4\xB8\x89")
      .Text("TextFont", "")
      .Rgb("TextColor", 255, 0, 128)
      .Int("ListIndex", -1);
  return w;
}

TEST(PropertyStreamFormat, KnownByteVectors) {
  EXPECT_EQ(PropertyStreamWriter().Int("Mode", 2).Int("Period", 500).Bytes(),
            Bytes({0x4D, 0x6F, 0x64, 0x65, 0x20, 0x00, 0x00, 0x00, 0x02, 0x50,
                   0x65, 0x72, 0x69, 0x6F, 0x64, 0x20, 0x00, 0x00, 0x01, 0xF4}));
  EXPECT_EQ(PropertyStreamWriter().Int("Index", -2147483648).Bytes(),
            "Index " + Bytes({0x80, 0x00, 0x00, 0x00}));
  EXPECT_EQ(PropertyStreamWriter().Int("Width", 320).Bytes(), "Width " + Bytes({0, 0, 1, 0x40}));
  EXPECT_EQ(PropertyStreamWriter().Text("Caption", "").Bytes(), "Caption " + Bytes({0, 0, 0, 0}));
  EXPECT_EQ(PropertyStreamWriter().Bool("Visible", true).Bool("Bold", false).Bytes(),
            "Visible " + Bytes({1}) + "Bold " + Bytes({0}));
  EXPECT_EQ(PropertyStreamWriter().Rgb("BackColor", 0, 19, 255).Bytes(),
            "BackColor " + Bytes({0, 19, 255}));
  EXPECT_EQ(MainWindowStream().Bytes().size(), 275u);
}

TEST(PropertyStreamFormat, DecodeReturnsThePairsInOrder) {
  const auto pairs = fw::DecodePropertyStream(MainWindowStream().Bytes());
  ASSERT_EQ(pairs.size(), 21u);
  EXPECT_EQ(pairs[0], (Property{"Placement", int32_t{0}}));
  EXPECT_EQ(pairs[1], (Property{"Width", int32_t{320}}));
  EXPECT_EQ(pairs[10], (Property{"BackColor", fw::Colour{0, 19, 255}}));
  EXPECT_EQ(pairs[11], (Property{"Title", String("00:00:00")}));
  EXPECT_EQ(pairs[12], (Property{"Visible", true}));
  EXPECT_EQ(pairs[20], (Property{"MacProcID", int32_t{0}}));

  const auto popup = fw::DecodePropertyStream(PopupStream().Bytes());
  ASSERT_EQ(popup.size(), 9u);
  EXPECT_EQ(popup[1].value, fw::PropertyValue(int32_t{-2147483648}));
  EXPECT_EQ(popup[5].value, fw::PropertyValue(String("one\rtwo\r\xE4\xB8\x89")));
  EXPECT_EQ(popup[6].value, fw::PropertyValue(String()));
  EXPECT_EQ(popup[8].value, fw::PropertyValue(int32_t{-1}));
  EXPECT_TRUE(fw::DecodePropertyStream("").empty());
}

TEST(PropertyStreamFormat, TextsAreBinarySafeAndUseAllFourLengthBytes) {
  String big(70000, 'x');  // a count above 0xFFFF
  big[5] = '\0';
  big[6] = '\r';
  const String bytes = PropertyStreamWriter().Text("HelpTag", big).Bool("Value", true).Bytes();
  EXPECT_EQ(bytes.substr(8, 4), Bytes({0x00, 0x01, 0x11, 0x70}));
  const auto pairs = fw::DecodePropertyStream(bytes);
  ASSERT_EQ(pairs.size(), 2u);
  EXPECT_EQ(std::get<String>(pairs[0].value), big);
  EXPECT_EQ(pairs[1], (Property{"Value", true}));
}

TEST(PropertyStreamNames, EveryNameHasItsKind) {
  const std::vector<std::pair<PropertyKind, std::vector<const char*>>> table = {
      {PropertyKind::Int32, {"Placement", "Width",     "Height",    "MinWidth",  "MinHeight",
                             "MaxWidth",  "MaxHeight", "Frame",     "MacProcID", "Mode",
                             "Period",    "Left",      "Top",       "Index",     "TabPanelIndex",
                             "TabIndex",  "ListIndex", "TextAlign", "State",     "ButtonStyle"}},
      {PropertyKind::Boolean,
       {"Composite",   "HasBackColor",   "Visible",     "FullScreen",     "MenuBarVisible",
        "CloseButton", "Resizeable",     "LiveResize",  "MaximizeButton", "MinimizeButton",
        "LockLeft",    "LockTop",        "LockRight",   "LockBottom",     "TabStop",
        "Enabled",     "AutoDeactivate", "Bold",        "Italic",         "Underline",
        "Multiline",   "Selectable",     "Transparent", "Default",        "Cancel",
        "Value"}},
      {PropertyKind::Colour, {"BackColor", "TextColor"}},
      {PropertyKind::Text,
       {"Name", "Title", "Text", "Caption", "InitialValue", "HelpTag", "TextFont", "DataSource",
        "DataField", "InitialParent"}},
  };
  size_t count = 0;
  for (const auto& [kind, names] : table) {
    for (const char* name : names) {
      ++count;
      EXPECT_EQ(fw::KindOfProperty(name), kind) << name;
      // Each name also survives a write and a decode with a value of its kind.
      fw::PropertyValue value;
      switch (kind) {
        case PropertyKind::Int32:
          value = int32_t{-7};
          break;
        case PropertyKind::Boolean:
          value = true;
          break;
        case PropertyKind::Colour:
          value = fw::Colour{1, 2, 3};
          break;
        case PropertyKind::Text:
          value = String("t");
          break;
      }
      EXPECT_EQ(fw::KindOfValue(value), kind);
      const Property p{name, value};
      EXPECT_EQ(fw::DecodePropertyStream(PropertyStreamWriter().Add(p).Bytes()),
                std::vector<Property>{p});
    }
  }
  EXPECT_EQ(count, 58u);
  for (const char* stranger : {"", "mode", "MODE", "Mode ", "Colour", "Backdrop", "TextSize"})
    EXPECT_FALSE(fw::KindOfProperty(stranger).has_value()) << stranger;
}

TEST(PropertyStreamNames, WriterRefusesPairsThatWouldNotDecode) {
  PropertyStreamWriter w;
  EXPECT_THROW(w.Bool("Width", true), PropertyStreamException);
  EXPECT_THROW(w.Int("Title", 1), PropertyStreamException);
  EXPECT_THROW(w.Text("BackColor", "red"), PropertyStreamException);
  EXPECT_THROW(w.Int("Backdrop", 1), PropertyStreamException);
  EXPECT_THROW(w.Add(Property{"Visible", String("yes")}), PropertyStreamException);
  EXPECT_EQ(w.Bytes(), "");  // nothing half-written
}

TEST(PropertyStreamDecoder, RejectsMalformedStreamsWithAClearMessage) {
  struct Case {
    const char* what;
    String bytes;
    const char* inMessage;
  } cases[] = {
      {"missing blank", "Mode" + Bytes({0, 0, 0, 2}), "Mode"},
      {"name runs to the end", "Mode", "Mode"},
      {"empty name", " " + Bytes({0, 0, 0, 2}), "offset 0"},
      {"lower-case name", "mode " + Bytes({0, 0, 0, 2}), "mode"},
      {"digit first", "9Mode " + Bytes({0, 0, 0, 2}), "9Mode"},
      {"non-ASCII in name", "Mo\xC3\xA9 " + Bytes({0, 0, 0, 2}), "offset 0"},
      {"unknown name", "Colour " + Bytes({1, 2, 3}), "Colour"},
      {"truncated Int32", "Mode " + Bytes({0, 0, 2}), "Mode"},
      {"truncated colour", "BackColor " + Bytes({0, 19}), "BackColor"},
      {"missing Boolean", "Visible ", "Visible"},
      {"Boolean 2", "Visible " + Bytes({2}), "Visible"},
      {"Boolean FF", "Enabled " + Bytes({0xFF}), "Enabled"},
      {"text past the end", "Title " + Bytes({0, 0, 0, 9}) + "00:00", "Title"},
      {"huge text length", "Title " + Bytes({0xFF, 0xFF, 0xFF, 0xFF}) + "x", "Title"},
      {"truncated text length", "Title " + Bytes({0, 0}), "Title"},
      {"bad second pair", PropertyStreamWriter().Int("Mode", 2).Bytes() + "Period\t1234",
       "offset 9"},
  };
  for (const auto& c : cases) {
    try {
      fw::DecodePropertyStream(c.bytes);
      ADD_FAILURE() << c.what << ": decoded";
    } catch (const PropertyStreamException& e) {
      EXPECT_NE(std::string(e.what()).find(c.inMessage), std::string::npos)
          << c.what << ": " << e.what();
    }
  }
}

TEST(PropertyStreamDecoder, EveryTruncationFailsOrStopsAtAPairBoundary) {
  for (const auto& writer : {MainWindowStream(), PopupStream()}) {
    const String full = writer.Bytes();
    const auto pairs = fw::DecodePropertyStream(full);
    // Pair boundaries: the encoded length of each prefix of pairs.
    std::vector<size_t> boundaries{0};
    PropertyStreamWriter prefix;
    for (const auto& p : pairs) boundaries.push_back(prefix.Add(p).Bytes().size());

    for (size_t cut = 0; cut < full.size(); ++cut) {
      const String head = full.substr(0, cut);  // its own buffer, so ASan sees overreads
      const auto at = std::find(boundaries.begin(), boundaries.end(), cut);
      if (at != boundaries.end()) {
        const auto got = fw::DecodePropertyStream(head);
        EXPECT_EQ(got,
                  std::vector<Property>(pairs.begin(), pairs.begin() + (at - boundaries.begin())));
      } else {
        EXPECT_THROW(fw::DecodePropertyStream(head), PropertyStreamException) << "cut " << cut;
      }
    }
  }
}

TEST(PropertyStreamDecoder, RandomCorruptionNeverCrashes) {
  // Whatever decodes must re-encode to the same bytes; everything else must be refused.
  std::mt19937 rng(20240229);
  const String base = PopupStream().Bytes() + MainWindowStream().Bytes();
  int decoded = 0;
  for (int round = 0; round < 20000; ++round) {
    String bytes = base;
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int e = 0; e < edits; ++e) {
      const size_t at = rng() % bytes.size();
      switch (rng() % 3) {
        case 0:
          bytes[at] = static_cast<char>(rng());
          break;
        case 1:
          bytes.erase(at, 1 + rng() % 4);
          break;
        case 2:
          bytes.insert(at, 1, static_cast<char>(rng()));
          break;
      }
      if (bytes.empty()) bytes = "X";
    }
    try {
      const auto pairs = fw::DecodePropertyStream(bytes);
      PropertyStreamWriter again;
      for (const auto& p : pairs) again.Add(p);
      EXPECT_EQ(again.Bytes(), bytes);
      ++decoded;
    } catch (const PropertyStreamException&) {
    }
  }
  EXPECT_GT(decoded, 0);  // some mutations (a changed value byte) still decode
}

class RecordingTarget : public fw::PropertyTarget {
 public:
  void SetProperty(const Property& property) override {
    seen.push_back(property.name);
    last[property.name] = property.value;
  }
  // The last value the name was given, if any.
  std::optional<fw::PropertyValue> Last(std::string_view name) const {
    const auto it = last.find(String(name));
    if (it == last.end()) return std::nullopt;
    return it->second;
  }
  std::vector<String> seen;
  std::map<String, fw::PropertyValue> last;
};

TEST(PropertyStreamTarget, HandsOnEachValueAndTheLastOfANameStays) {
  RecordingTarget target;
  EXPECT_FALSE(target.Last("Mode").has_value());
  fw::SetProperties(target, PropertyStreamWriter().Int("Mode", 2).Int("Period", 500).Bytes());
  EXPECT_EQ(target.Last("Mode"), fw::PropertyValue(int32_t{2}));
  fw::SetProperties(target, PropertyStreamWriter().Int("Mode", 0).Bytes());
  EXPECT_EQ(target.Last("Mode"), fw::PropertyValue(int32_t{0}));
  EXPECT_EQ(target.Last("Period"), fw::PropertyValue(int32_t{500}));
  EXPECT_FALSE(target.Last("mode").has_value());
}

TEST(PropertyStreamTarget, SetPropertiesAppliesInOrderAndOnlyWholeStreams) {
  RecordingTarget target;
  fw::SetProperties(target, MainWindowStream().Bytes());
  ASSERT_EQ(target.seen.size(), 21u);
  EXPECT_EQ(target.seen.front(), "Placement");
  EXPECT_EQ(target.seen[11], "Title");
  EXPECT_EQ(target.seen.back(), "MacProcID");

  // A stream broken in its last pair sets nothing at all.
  RecordingTarget fresh;
  const String broken = PropertyStreamWriter().Int("Mode", 2).Bytes() + "Period " + Bytes({1});
  EXPECT_THROW(fw::SetProperties(fresh, broken), PropertyStreamException);
  EXPECT_TRUE(fresh.seen.empty());
  EXPECT_FALSE(fresh.Last("Mode").has_value());
}

}  // namespace
