// Step 3 of the main window's Open: the text tables split into the loaded tables.
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
