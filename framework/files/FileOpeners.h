#pragma once
// How a folder item opens a picture or a sound. Pictures and sounds belong to the media layer,
// above this one, so that layer installs the openers (framework/media/detail/Openers.cpp)
// before main runs; in a program without it every file opens as no picture and no sound.
#include "framework/core/Object.h"
#include "framework/core/Strings.h"

namespace fw {

class Picture;
class Sound;

using PictureOpener = Ref<Picture> (*)(const String& path);
using SoundOpener = Ref<Sound> (*)(const String& path);

void InstallFileOpeners(PictureOpener picture, SoundOpener sound);

}  // namespace fw
