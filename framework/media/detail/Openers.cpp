#include "framework/media/detail/Openers.h"

#include "framework/files/FileOpeners.h"

// Installed before main, so no program can open a file before its pictures and sounds can be.
// Nothing calls into this file: the build names the anchor to the linker for every program
// that links the media layer (cmake/ClockTargets.cmake), which keeps this initialiser in.
extern "C" void fw_media_openers_anchor() {}

namespace fw {
namespace {

[[maybe_unused]] const bool gInstalled = [] {
  InstallFileOpeners(&OpenPictureFile, &OpenSoundFile);
  return true;
}();

}  // namespace
}  // namespace fw
