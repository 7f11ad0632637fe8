#include "framework/media/detail/Mpg123Library.h"

#include <dlfcn.h>

namespace fw {
namespace {

const Mpg123Library* Load() {
  // The mixer links this very library, so once it is loaded this maps nothing new. Never
  // closed, like the mixer.
  void* handle = dlopen("libmpg123.so.0", RTLD_LAZY | RTLD_LOCAL);
  if (!handle) return nullptr;
  static Mpg123Library library;
#define FW_MPG123_RESOLVE(name)                                                  \
  library.name = reinterpret_cast<decltype(library.name)>(dlsym(handle, #name)); \
  if (!library.name) return nullptr;
  FW_MPG123_FUNCTIONS(FW_MPG123_RESOLVE)
#undef FW_MPG123_RESOLVE
  return &library;
}

}  // namespace

const Mpg123Library* LoadMpg123Library() {
  static const Mpg123Library* library = Load();
  return library;
}

}  // namespace fw
