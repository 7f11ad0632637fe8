#include "clock/mainWindow.h"

#include "app/MenuBar1.h"
#include "clock/mainTimer.h"
#include "framework/ui/PropertyStream.h"

using fw::Ref;

fw::Ref<clockcore::mainWindow> mainWindow() {
  auto window = fw::GetImplicitWindow("mainWindow.mainWindow");
  if (!window) {
    auto created = fw::New<clockcore::mainWindow>();
    created->Constructor();  // the window list keeps it; it is the shared instance from here on
    window = created;
  }
  return fw::CheckedCast<clockcore::mainWindow>(window);
}

namespace clockcore {

fw::ClassRecord mainWindow::Record() {
  std::vector<fw::MemberRecord> members;
  for (const char* name :
       {"Layout",           "CreateControls",  "CreateControls0", "mainTimer",
        "mainTimer_Action", "windowMenu",      "largeMenu",       "normalMenu",
        "halfMenu",         "FileMenu",        "FileQuit",        "prefMenu",
        "AddMenuHandlers",  "Event_Close",     "Event_Open",      "Event_MouseDown",
        "Event_Resized",    "prefMenu_Action", "halfMenu_Action", "normalMenu_Action",
        "largeMenu_Action", "seiyuName",       "timeArray",       "serifArray",
        "alarmArray",       "alarmHour",       "alarmMin",        "alarmCheck",
        "alarmVoice",       "nameCheck",       "voiceMode",       "readPicture",
        "backPicture",      "dataPath",        "lastTime"})
    members.push_back({name, "Public"});
  return {"mainWindow.mainWindow", "Window", members};
}

const fw::String& mainWindow::LayoutStream() {
  static const fw::String stream = fw::PropertyStreamWriter()
                                       .Int("Placement", 0)
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
                                       .Int("MacProcID", 0)
                                       .Bytes();
  return stream;
}

const fw::String& mainWindow::TimerStream() {
  static const fw::String stream =
      fw::PropertyStreamWriter().Int("Mode", 2).Int("Period", 500).Bytes();
  return stream;
}

void mainWindow::Layout() {
  SetMenuBar(MenuBar1());
  fw::SetProperties(*this, LayoutStream());
}

void mainWindow::CreateControls() { CreateControls0(); }

void mainWindow::CreateControls0() {
  auto timer = NewControl<clockcore::mainTimer>();
  timer->Constructor();
  AddControl("mainTimer", timer);
  timer.reset();

  fw::SetProperties(*fw::CheckedCast<fw::Timer>(ControlByName("mainTimer")), TimerStream());
  auto self = fw::RefTo(this);
  fw::CheckedCast<fw::Timer>(ControlByName("mainTimer"))
      ->Action.AddHandler(fw::Delegate<void(Ref<fw::Timer>)>::Weak(
          self, &mainWindow::mainTimer_Action, "( Timer )"));
}

Ref<fw::Timer> mainWindow::mainTimer() {
  return fw::CheckedCast<fw::Timer>(ControlByName("mainTimer"));
}

void mainWindow::Event_Open() {
  // Without a payload the sizes stay as laid out: a quarter and a half of the layout's
  // 32000 maximum would make a gigabyte window for nothing.
  if (ChoosePayloadFolder()) SetSizeSet();
  SplitTables();
  ReadClockPrefs();
}

}  // namespace clockcore
