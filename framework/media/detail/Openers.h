#pragma once
// The media layer's openers of picture and sound files, which FolderItem::OpenAsPicture and
// FolderItem::OpenAsSound call (installed by framework/media/detail/Openers.cpp).
#include "framework/core/Object.h"
#include "framework/core/Strings.h"

namespace fw {

class Picture;
class Sound;

// The picture of the file at its own size, or nil when it is not a picture.
Ref<Picture> OpenPictureFile(const String& path);
// The whole sound, decoded on a worker, or nil when it is not a sound.
Ref<Sound> OpenSoundFile(const String& path);

}  // namespace fw
