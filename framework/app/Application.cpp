#include "framework/app/Application.h"

#include "framework/files/ExecutablePath.h"

namespace fw {

Ref<FolderItem> Application::ExecutableFile() const { return New<FolderItem>(ExecutablePath()); }

}  // namespace fw
