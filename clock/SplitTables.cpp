// After the payload folder and the window's size, the main window's Open splits the text
// tables into the loaded tables, before it reads the settings.
#include "clock/TextTables.h"
#include "clock/mainWindow.h"

namespace clockcore {

void mainWindow::SplitTables() {
  const fw::String cr = fw::ChrB(13);
  const fw::String crlf = fw::ChrB(13) + fw::ChrB(10);
  seiyuName = fw::Split(fw::DecodeURLComponent(ActMain(), fw::Encodings::UTF8), crlf);
  timeArray = fw::Split(ActTime(), cr);
  serifArray = fw::Split(ActSerif(), cr);
  alarmArray = fw::Split(fw::DecodeURLComponent(Alarm(), fw::Encodings::UTF8), crlf);
}

}  // namespace clockcore
