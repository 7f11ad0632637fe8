#include "framework/media/detail/MixerLibrary.h"

#include <dlfcn.h>

#include <cstdio>

#include "framework/core/ProgramName.h"
#include "framework/media/Testing.h"

namespace fw {
namespace {

// Debian's soname: the one the -dev package's link would have recorded.
const char* gMixerSoname = "libSDL2_mixer-2.0.so.0";

const MixerLibrary* Load() {
  // Lazy, as a link at exec binds: a millisecond less than binding all forty libraries now.
  // Local: nothing else in the process is to bind to SDL by accident. Never closed: the
  // mixer's thread and its chunks may outlive any owner we could give it.
  void* handle = dlopen(gMixerSoname, RTLD_LAZY | RTLD_LOCAL);
  static MixerLibrary library;
  const char* missing = nullptr;
  if (handle) {
    // SDL's own functions are found through the mixer's dependencies.
#define FW_MIXER_RESOLVE(name)                                                   \
  library.name = reinterpret_cast<decltype(library.name)>(dlsym(handle, #name)); \
  if (!library.name && !missing) missing = #name;
    FW_MIXER_FUNCTIONS(FW_MIXER_RESOLVE)
#undef FW_MIXER_RESOLVE
  }
  if (handle && !missing) return &library;
  std::fprintf(stderr, "%s: no audio device (%s%s); running silently\n", ProgramName().c_str(),
               handle ? "no function " : "", handle ? missing : dlerror());
  return nullptr;
}

}  // namespace

void SetMixerLibraryForTesting(const char* soname) { gMixerSoname = soname; }

const MixerLibrary* LoadMixerLibrary() {
  static const MixerLibrary* library = Load();
  return library;
}

}  // namespace fw
