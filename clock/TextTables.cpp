#include "clock/TextTables.h"

#include "app/App.h"
#include "clock/Testing.h"
#include "framework/files/TextStreams.h"

namespace clockcore {
namespace {

// The shipped tables are a few kB. A huge one is refused like a missing one: split, every
// line end becomes a string of its own, tens of bytes each, held for the whole run.
constexpr int64_t kMaxTableBytes = 4LL * 1024 * 1024;

struct TableText {
  explicit TableText(const char* name) : fileName(name) {}
  const char* fileName;
  bool loaded = false;
  fw::String permaText;
};

TableText gActMain("ActMain.txt"), gActTime("ActTime.txt"), gActSerif("ActSerif.txt"),
    gAlarm("Alarm.txt");

const fw::String& Load(TableText& table) {
  if (table.loaded) return table.permaText;
  table.loaded = true;
  auto resources = App()->ExecutableFile()->Parent()->Parent()->Child("Resources");
  auto stream = resources->Child(table.fileName)->OpenAsTextFile(kMaxTableBytes);
  if (!stream) return table.permaText;
  table.permaText = stream->ReadAll();
  stream->Close();
  return table.permaText;
}

}  // namespace

fw::String ActMain() { return Load(gActMain); }
fw::String ActTime() { return Load(gActTime); }
fw::String ActSerif() { return Load(gActSerif); }
fw::String Alarm() { return Load(gAlarm); }

void ReleaseTableTexts() {
  for (TableText* t : {&gActMain, &gActSerif, &gActTime, &gAlarm}) fw::String().swap(t->permaText);
}

void ResetTableTextsForTesting() {
  ReleaseTableTexts();
  for (TableText* t : {&gActMain, &gActSerif, &gActTime, &gAlarm}) t->loaded = false;
}

}  // namespace clockcore
