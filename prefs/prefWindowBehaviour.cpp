// What the preferences window does: fill its controls from the clock settings, hand them
// back on OK and save them, preview alarm sounds and show a voice actor's signature picture.
#include "clock/mainWindow.h"
#include "framework/core/EventLoop.h"
#include "framework/files/FolderItem.h"
#include "framework/media/Picture.h"
#include "prefs/prefWindow.h"

namespace prefs {
namespace {

constexpr int32_t kThumbnailSize = 72;
const char* const kPreview = "試聴";
const char* const kStop = "停止";

// Field n (from 1) of entry i of a loaded table. A table shorter than the entries read
// gives the empty text, so a short table shows empty rows and opens no file.
fw::String FieldOf(const fw::Array<fw::String>& table, int32_t i, int32_t n) {
  return fw::NthField(table.ValueOr(i, ""), fw::ChrB(9), n);
}

fw::String TextOf(const fw::Array<fw::String>& table, int32_t i, int32_t n) {
  return fw::ConvertEncoding(FieldOf(table, i, n), fw::Encodings::UTF8);
}

// A file of the data payload folder, or nil without one: nothing is read then.
fw::Ref<fw::FolderItem> PayloadFile(const fw::String& name) {
  auto folder = ::mainWindow()->dataPath;
  return folder ? folder->Child(name) : nullptr;
}

bool FileExists(const fw::Ref<fw::FolderItem>& file) { return file && file->Exists(); }

// The whole picture squeezed into a thumbnail, aspect ratio not kept.
fw::Ref<fw::Picture> Thumbnail(const fw::Ref<fw::Picture>& source) {
  auto thumbnail = fw::New<fw::Picture>(kThumbnailSize, kThumbnailSize, 32);
  thumbnail->Graphics()->DrawPicture(source, 0, 0, kThumbnailSize, kThumbnailSize, 0, 0,
                                     source->Width(), source->Height());
  return thumbnail;
}

}  // namespace

void prefWindow::Event_Open() {
  auto clockWindow = ::mainWindow();
  for (int32_t i = 0; i < kActorCount; ++i) {
    nameCheck(i)->SetCaption(TextOf(clockWindow->seiyuName, i, 2));
    nameCheck(i)->SetValue(clockWindow->nameCheck(i));
    auto face = PayloadFile("seiyuicon_" + FieldOf(clockWindow->seiyuName, i, 3) + ".jpg");
    if (!FileExists(face)) continue;
    // A file that is no picture leaves the well empty, like a missing one.
    if (auto source = face->OpenAsPicture())
      ::prefWindow()->faceImage(i)->SetImage(Thumbnail(source));
  }
  alarmCheck()->SetValue(clockWindow->alarmCheck);
  // The row whose two digits read as the stored number: "7" selects "07", "" selects "00".
  alarmHourPopup()->SetListIndex(fw::DoubleToInt32(fw::Val(clockWindow->alarmHour)));
  alarmMinPopup()->SetListIndex(fw::DoubleToInt32(fw::Val(clockWindow->alarmMin)));
  alarmVoicePopup()->DeleteAllRows();
  for (int32_t i = 0; i < kAlarmCount; ++i)
    alarmVoicePopup()->AddRow(TextOf(clockWindow->alarmArray, i, 1));
  alarmVoicePopup()->SetListIndex(clockWindow->alarmVoice);
  voiceMode()->SetListIndex(clockWindow->voiceMode);
}

bool prefWindow::faceImage_MouseDown(fw::Ref<fw::ImageWell> well, int32_t /*x*/, int32_t /*y*/) {
  auto clockWindow = ::mainWindow();
  // Opened without an existence test: a missing signature empties readPicture, and the
  // backdrop stays as it was until the next minute picture.
  auto signature =
      PayloadFile("sign_" + FieldOf(clockWindow->seiyuName, well->Index(), 3) + ".jpg");
  clockWindow->readPicture = signature ? signature->OpenAsPicture() : nullptr;
  if (clockWindow->readPicture) clockWindow->DrawBackdrop();
  return false;
}

void prefWindow::PushButton1_Action(fw::Ref<fw::PushButton> /*button*/) {
  auto clockWindow = ::mainWindow();
  // Entry 12 of the main window's nameCheck belongs to no actor and is left alone.
  for (int32_t i = 0; i < kActorCount; ++i) clockWindow->nameCheck(i) = nameCheck(i)->Value();
  clockWindow->alarmCheck = alarmCheck()->Value();
  clockWindow->alarmHour = alarmHourPopup()->Text();
  clockWindow->alarmMin = alarmMinPopup()->Text();
  clockWindow->alarmVoice = alarmVoicePopup()->ListIndex();
  clockWindow->voiceMode = voiceMode()->ListIndex();
  StopPreview();
  Close();
  // Saved now, not only at Close: a display that goes away ends the process without one. A
  // failed save is reported and the clock runs on with the settings; Close tries again.
  try {
    clockWindow->WriteClockPrefs();
  } catch (const fw::RuntimeException& e) {
    fw::ReportFailure("the settings were not saved: " + e.Message());
  }
}

void prefWindow::PushButton2_Action(fw::Ref<fw::PushButton> /*button*/) {
  StopPreview();
  Close();
}

// The caption is the preview's only state. Nothing watches a preview end by itself, so
// after that one click turns "停止" back to "試聴" and the next one plays again.
void prefWindow::PushButton3_Action(fw::Ref<fw::PushButton> /*button*/) {
  if (PushButton3()->Caption() == kStop) {
    StopPreview();
    PushButton3()->SetCaption(kPreview);
    return;
  }
  // The row selected now, not the stored alarm; no row selected opens no file.
  auto file = PayloadFile(FieldOf(::mainWindow()->alarmArray, alarmVoicePopup()->ListIndex(), 2));
  if (!FileExists(file)) return;
  newSound = file->OpenAsSound();
  // A file that is no sound plays nothing, and the button does not claim otherwise.
  if (!newSound) return;
  newSound->Play();
  PushButton3()->SetCaption(kStop);
}

void prefWindow::StopPreview() {
  if (newSound && newSound->IsPlaying()) newSound->Stop();
}

}  // namespace prefs
