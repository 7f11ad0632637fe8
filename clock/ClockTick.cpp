// The clock tick: the time in the title every half second, and at each new minute the
// minute's picture and one voice branch (alarm, serif voice or minute voice).
#include "clock/mainWindow.h"
#include "framework/core/Date.h"
#include "framework/media/Sound.h"

namespace clockcore {
namespace {

bool IsTenMinuteMark(const fw::String& mm) {
  for (const char* mark : {"00", "10", "20", "30", "40", "50"})
    if (mm == mark) return true;
  return false;
}

// Lines naming one minute beyond this add nothing a listener could tell apart, and each one
// would hold a mixer channel until the voice ends.
constexpr int kMaxVoicesPerMinute = 16;

void PlayFile(const fw::Ref<fw::FolderItem>& file) {
  if (auto sound = file->OpenAsSound()) sound->Play();
}

}  // namespace

void mainWindow::mainTimer_Action(fw::Ref<fw::Timer> /*timer*/) {
  const fw::String timeText = fw::Right(fw::Str(fw::New<fw::Date>()), 8);
  ::mainWindow()->SetTitle(timeText);
  if (lastTime == fw::Left(timeText, 5)) return;
  MinuteWork(timeText);
}

void mainWindow::MinuteWork(const fw::String& timeText) {
  lastTime = fw::Left(timeText, 5);
  const fw::String hh = fw::Left(lastTime, 2);
  const fw::String mm = fw::Right(lastTime, 2);
  const fw::String hhmm = hh + mm;

  auto picture = dataPath->Child("t" + hhmm + ".jpg");
  if (picture->Exists()) {
    readPicture = picture->OpenAsPicture();
    if (readPicture) DrawBackdrop();
  }

  if (alarmCheck && hh == alarmHour && mm == alarmMin) {
    PlayAlarm();
  } else if ((voiceMode == 0 || voiceMode == 1) && IsTenMinuteMark(mm)) {
    const fw::String serif = "st" + hhmm + ".mp3";
    if (dataPath->Child(serif)->Exists()) ScanSchedule(serifArray, hhmm, serif);
  } else if ((voiceMode == 0 || voiceMode == 2) &&
             dataPath->Child("ot" + hhmm + ".mp3")->Exists()) {
    ScanSchedule(timeArray, hhmm, "ot" + hhmm + ".mp3");
  }
}

void mainWindow::PlayAlarm() {
  auto self = ::mainWindow();
  // An index outside the alarm table plays nothing.
  if (alarmVoice < 0 || alarmVoice > self->alarmArray.Ubound()) return;
  const fw::String name = fw::NthField(self->alarmArray(alarmVoice), fw::ChrB(9), 2);
  auto file = dataPath->Child(name);
  if (file->Exists()) PlayFile(file);
}

void mainWindow::ScanSchedule(const fw::Array<fw::String>& table, const fw::String& hhmm,
                              const fw::String& voiceFileName) {
  const fw::String tab = fw::ChrB(9);
  // Each matching line is one more playback of the voice. The voice is decoded once for the
  // scan: a table naming one minute many times must not hold as many decoded copies.
  fw::Ref<fw::Sound> voice;
  int started = 0;
  // Every line counts, the last one too: a table without a closing line end keeps it.
  for (int32_t i = 0; i <= table.Ubound() && started < kMaxVoicesPerMinute; ++i) {
    const fw::String& line = table(i);
    if (fw::NthField(line, tab, 1) != hhmm) continue;
    const int32_t actor = fw::DoubleToInt32(fw::Val(fw::NthField(line, tab, 2)) - 1.0);
    // A line plays only for an enabled actor of ActMain.txt's twelve. nameCheck is declared by
    // its upper bound, 12, so it has 13 entries: a number outside 1 to 13 fails the bound
    // check, and 13 meets the spare last entry, which neither the settings file nor the
    // preferences window ever sets, so it stays false and plays nothing too.
    if (actor < 0 || actor > nameCheck.Ubound() || !nameCheck(actor)) continue;
    if (!voice) voice = dataPath->Child(voiceFileName)->OpenAsSound();
    if (!voice) return;  // no sound: neither will the next line's be
    voice->Play();
    ++started;
  }
}

void mainWindow::DrawBackdrop() {
  auto self = ::mainWindow();
  const int32_t width = self->Width();
  const int32_t height = self->Height();
  backPicture = fw::New<fw::Picture>(width, height, 32);
  backPicture->Graphics()->DrawPicture(readPicture, 0, 0, backPicture->Width(),
                                       backPicture->Height(), 0, 0, readPicture->Width(),
                                       readPicture->Height());
  self->SetBackdrop(backPicture);
  backPicture = nullptr;
}

bool mainWindow::Event_MouseDown(int32_t /*x*/, int32_t /*y*/) {
  lastTime = "";
  return false;
}

void mainWindow::Event_Resized() {
  if (readPicture) DrawBackdrop();
}

}  // namespace clockcore
