// The files layer in a program without the media layer above it: folder items still read
// text, and every file opens as no picture and no sound, since no opener was installed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "framework/files/FolderItem.h"
#include "framework/files/TextStreams.h"

namespace {

TEST(FilesAlone, OpensNoPictureAndNoSoundButStillReadsText) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("files_alone." + std::to_string(getpid()));
  fs::create_directories(dir);
  for (const char* name : {"photo.jpg", "voice.mp3"}) {
    std::ofstream(dir / name) << "bytes\n";
    const fw::FolderItem file((dir / name).string());
    EXPECT_EQ(file.OpenAsTextFile()->ReadLine(), "bytes") << name;
    EXPECT_TRUE(file.OpenAsPicture().IsNil()) << name;
    EXPECT_TRUE(file.OpenAsSound().IsNil()) << name;
  }
  fs::remove_all(dir);
}

}  // namespace
