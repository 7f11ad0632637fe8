// The clock settings file: read once at Open, replaced whole at the preferences window's OK
// and when the main window closes.
#include <string_view>

#include "clock/mainWindow.h"
#include "framework/core/EventLoop.h"
#include "framework/files/TextStreams.h"

namespace clockcore {
namespace {

const char* const kPrefsFileName = "vantoViewer3 Prefs";
// The six lines come to about a hundred bytes. What lies further on is no setting, and a file
// grown huge by accident is read no further than this.
constexpr int64_t kMaxPrefsBytes = 64 * 1024;

fw::Ref<fw::FolderItem> PrefsFile() {
  return fw::SpecialFolder::Preferences()->Child(kPrefsFileName);
}

// The text after the first "=", up to a second one.
fw::String ValueOf(const fw::String& line) { return fw::NthField(line, "=", 2); }

}  // namespace

void mainWindow::ReadClockPrefs() {
  auto self = ::mainWindow();
  auto file = PrefsFile();
  // A FIFO, device or socket in the file's place holds no settings, and neither does a file
  // of no lines or only blank ones (read by position it would mute every voice and empty the
  // alarm), nor one of NUL bytes, blank lines among them or not (what a crash can leave: the
  // length kept, the blocks zeroed): each counts as no file. A folder there fails to open and
  // is reported.
  if (file->RegularFile() || file->Directory()) {
    auto stream = fw::TextInputStream::OpenStart(file, kMaxPrefsBytes);
    if (!stream) throw fw::IOException("cannot read \"" + file->NativePath() + "\"", 1);
    const fw::String text = stream->ReadAll();
    if (text.find_first_not_of(std::string_view(" \t\r\n\0", 5)) != fw::String::npos) {
      fw::TextInputStream lines(text);
      self->LoadClockPrefs(lines);
      return;
    }
  }
  self->SetDefaultClockPrefs();
}

// Each line feeds the setting of its position; the keys are never looked at.
void mainWindow::LoadClockPrefs(fw::TextInputStream& stream) {
  const fw::String flags = ValueOf(stream.ReadLine());
  for (int32_t i = 0; i < kActorCount; ++i) nameCheck(i) = fw::NthField(flags, ",", i + 1) == "1";
  alarmCheck = ValueOf(stream.ReadLine()) == "1";
  alarmHour = ValueOf(stream.ReadLine());
  alarmMin = ValueOf(stream.ReadLine());
  alarmVoice = fw::DoubleToInt32(fw::Val(ValueOf(stream.ReadLine())));
  voiceMode = fw::DoubleToInt32(fw::Val(ValueOf(stream.ReadLine())));
}

void mainWindow::SetDefaultClockPrefs() {
  for (int32_t i = 0; i < kActorCount; ++i) nameCheck(i) = true;
  alarmCheck = false;
  alarmHour = "00";
  alarmMin = "00";
  alarmVoice = 0;
  voiceMode = 0;
}

void mainWindow::WriteClockPrefs() {
  auto self = ::mainWindow();
  auto stream = fw::TextOutputStream::Create(PrefsFile());
  fw::String flags;
  for (int32_t i = 0; i < kActorCount; ++i) flags += self->nameCheck(i) ? "1," : "0,";
  stream->WriteLine("seiyuOn/Off=" + fw::Left(flags, fw::Len(flags) - 1));
  stream->WriteLine(self->alarmCheck ? "alarmOn=1" : "alarmOn=0");
  stream->WriteLine("alarmHour=" + self->alarmHour);
  stream->WriteLine("alarmMin=" + self->alarmMin);
  stream->WriteLine("alarmVoice=" + fw::Str(self->alarmVoice));
  stream->WriteLine("voiceMode=" + fw::Str(self->voiceMode));
  stream->Close();
}

void mainWindow::Event_Close() {
  WriteClockPrefs();
  fw::Quit(0);
}

}  // namespace clockcore
