// Sound: MP3 files decoded whole, asynchronous overlapping playback on SDL's dummy driver
// (which plays in real time), playbacks that outlive their Sound, and refusing non-MP3 files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <cstdlib>
#include <map>

#include "framework/Testing.h"
#include "framework/core/ProgramName.h"
#include "framework/files/FolderItem.h"
#include "framework/media/Sound.h"
#include "framework/media/Testing.h"
#include "mediagen/MediaGen.h"
#include "support/Sounds.h"
#include "support/TempDir.h"

namespace {

using fw::FolderItem;
using fw::Ref;
using fw::Sound;

constexpr double kToneSeconds = 0.3;

class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Whatever an earlier test started has ended before this one counts.
    fw::FinishBackgroundWorkForTesting();
    ASSERT_TRUE(fw::ProcessEventsUntil([] { return fw::ActiveSoundPlaybacks() == 0; }, 5000));
    tone_ = dir_.File("ot1200.mp3");
    ASSERT_TRUE(mediagen::WriteMp3(tone_.string(), mediagen::Tone(880, kToneSeconds)));
  }
  // Opened and decoded, as most cases here want it.
  Ref<Sound> OpenTone() const {
    auto sound = FolderItem(tone_.string()).OpenAsSound();
    fw::FinishBackgroundWorkForTesting();
    return sound;
  }

  testsupport::TempDir dir_;
  std::filesystem::path tone_;
};


TEST_F(SoundTest, PlayReturnsAtOnceAndTheSoundPlaysToItsEnd) {
  auto sound = OpenTone();
  ASSERT_TRUE(sound);
  EXPECT_FALSE(sound->IsPlaying());
  QElapsedTimer clock;
  clock.start();
  sound->Play();
  EXPECT_LT(clock.elapsed(), 100);
  EXPECT_TRUE(sound->IsPlaying());
  ASSERT_TRUE(fw::ProcessEventsUntil([&] { return !sound->IsPlaying(); }, 5000));
  EXPECT_GE(clock.elapsed(), 1000 * kToneSeconds - 100);  // played, not dropped
}

TEST_F(SoundTest, PlaybackOutlivesTheLastReference) {
  const int live = fw::LiveSoundsForTesting();
  QElapsedTimer clock;
  clock.start();
  {
    auto sound = OpenTone();
    ASSERT_TRUE(sound);
    sound->Play();
  }
  EXPECT_EQ(fw::LiveSoundsForTesting(), live + 1);
  EXPECT_TRUE(fw::SoundPollingForTesting());
  // Only the main-thread poll may notice the end and release the samples.
  ASSERT_TRUE(fw::ProcessEventsUntil([&] { return fw::LiveSoundsForTesting() == live; }, 5000));
  EXPECT_GE(clock.elapsed(), 1000 * kToneSeconds - 100);
  EXPECT_FALSE(fw::SoundPollingForTesting());  // idle again: no timer while silent
  EXPECT_EQ(fw::ActiveSoundPlaybacks(), 0);
}

TEST_F(SoundTest, DeviceRestsWhenQuietAndComesBackForTheNextPlayback) {
  // An open device mixes silence on its own thread all day; it closes after a quiet spell.
  const int rest = fw::SetAudioRestForTesting(50);
  auto sound = OpenTone();
  ASSERT_TRUE(sound);
  sound->Play();
  EXPECT_TRUE(fw::AudioOpenForTesting());
  ASSERT_TRUE(fw::ProcessEventsUntil([] { return !fw::AudioOpenForTesting(); }, 5000));
  // A sound decoded before the rest still plays, to its end.
  sound->Play();
  EXPECT_TRUE(fw::AudioOpenForTesting());
  EXPECT_TRUE(sound->IsPlaying());
  ASSERT_TRUE(fw::ProcessEventsUntil([&] { return !sound->IsPlaying(); }, 5000));
  fw::SetAudioRestForTesting(rest);
}

TEST_F(SoundTest, PlaybacksOverlapAndStopEndsOnlyThisSounds) {
  auto a = OpenTone();
  auto b = OpenTone();
  ASSERT_TRUE(a && b);
  a->Play();
  a->Play();
  a->Play();
  b->Play();
  EXPECT_EQ(fw::ActiveSoundPlaybacks(), 4);
  a->Stop();
  EXPECT_FALSE(a->IsPlaying());
  EXPECT_TRUE(b->IsPlaying());
  EXPECT_EQ(fw::ActiveSoundPlaybacks(), 1);
  b->Stop();
  EXPECT_EQ(fw::ActiveSoundPlaybacks(), 0);
  a->Play();  // a stopped sound plays again
  EXPECT_TRUE(a->IsPlaying());
  a->Stop();
}

TEST_F(SoundTest, FortySimultaneousPlaybacksAllStart) {
  auto sound = OpenTone();
  ASSERT_TRUE(sound);
  for (int i = 0; i < 40; ++i) sound->Play();
  EXPECT_EQ(fw::ActiveSoundPlaybacks(), 40);
  sound->Stop();
  EXPECT_EQ(fw::ActiveSoundPlaybacks(), 0);
}

// Play() on a sound still decoding: each call is one playback, started once the decode is
// handed back, even when the sound was released meanwhile; Stop() before then drops them.
TEST_F(SoundTest, PlaybacksAskedForWhileDecodingStartWhenTheDecodeEnds) {
  std::vector<std::string> started;
  fw::SetPlayObserverForTesting([&](const std::string& file) { started.push_back(file); });
  const int live = fw::LiveSoundsForTesting();
  {
    auto sound = FolderItem(tone_.string()).OpenAsSound();
    ASSERT_TRUE(sound);
    sound->Play();
    sound->Play();
    EXPECT_TRUE(sound->IsPlaying());
    EXPECT_EQ(fw::ActiveSoundPlaybacks(), 2);
  }
  fw::FinishBackgroundWorkForTesting();
  EXPECT_EQ(started, std::vector<std::string>(2, tone_.string()));
  EXPECT_EQ(fw::ActiveSoundPlaybacks(), 2);
  ASSERT_TRUE(fw::ProcessEventsUntil([&] { return fw::LiveSoundsForTesting() == live; }, 5000));

  started.clear();
  auto stopped = FolderItem(tone_.string()).OpenAsSound();
  ASSERT_TRUE(stopped);
  stopped->Play();
  stopped->Stop();
  EXPECT_FALSE(stopped->IsPlaying());
  EXPECT_EQ(fw::ActiveSoundPlaybacks(), 0);
  fw::FinishBackgroundWorkForTesting();
  EXPECT_TRUE(started.empty());
  EXPECT_FALSE(stopped->IsPlaying());
  stopped->Play();  // decoded all the same
  EXPECT_TRUE(stopped->IsPlaying());
  stopped->Stop();
  fw::SetPlayObserverForTesting(nullptr);
}

// The decode holds the whole bound of the budget until it ends, then only its samples, and
// gives those back with the sound.
TEST_F(SoundTest, ADecodeHoldsTheBoundThenItsSamples) {
  const int64_t before = fw::LiveSoundBytesForTesting();
  auto sound = FolderItem(tone_.string()).OpenAsSound();
  ASSERT_TRUE(sound);
  EXPECT_EQ(fw::LiveSoundBytesForTesting(), before + fw::kMaxSoundBytes);
  fw::FinishBackgroundWorkForTesting();
  // 0.3 s at 44.1 kHz, 16-bit stereo, give or take the decoder's padding.
  EXPECT_NEAR(double(fw::LiveSoundBytesForTesting() - before), kToneSeconds * 44100 * 4, 20000);
  sound = nullptr;
  EXPECT_EQ(fw::LiveSoundBytesForTesting(), before);
}

// Long voices overlapping, one each minute: the decoded samples of all live sounds stay within
// the budget; a sound it cannot hold is none, or plays nothing, and the next ones play again
// once the earlier ones have gone.
TEST_F(SoundTest, LongSoundsInARowStayWithinTheBudget) {
  ASSERT_TRUE(mediagen::WriteMp3(dir_.File("ten.mp3").string(), mediagen::Silence(10, 8000), 8));
  std::string stream;  // 300 s: about 50 MiB decoded
  for (int i = 0; i < 30; ++i) stream += testsupport::ReadFile(dir_.File("ten.mp3"));
  const std::string path = dir_.Write("long.mp3", stream).string();
  const int64_t before = fw::LiveSoundBytesForTesting();
  ASSERT_EQ(before, 0) << "sounds left over from an earlier case";

  // Three decodes under way hold the whole budget: a fourth sound is none.
  std::vector<Ref<Sound>> sounds;
  for (int i = 0; i < 3; ++i) sounds.push_back(FolderItem(path).OpenAsSound());
  for (const auto& sound : sounds) ASSERT_TRUE(sound);
  EXPECT_EQ(fw::LiveSoundBytesForTesting(), fw::kMaxLiveSoundBytes);
  EXPECT_FALSE(FolderItem(path).OpenAsSound());
  for (const auto& sound : sounds) sound->Play();
  fw::FinishBackgroundWorkForTesting();

  int playing = 0;
  for (int minute = 0; minute < 6; ++minute) {
    auto sound = FolderItem(path).OpenAsSound();
    if (sound) sound->Play();
    EXPECT_LE(fw::LiveSoundBytesForTesting(), fw::kMaxLiveSoundBytes);
    fw::FinishBackgroundWorkForTesting();
    EXPECT_LE(fw::LiveSoundBytesForTesting(), fw::kMaxLiveSoundBytes);
    if (sound) sounds.push_back(sound);
  }
  for (const auto& sound : sounds) playing += sound->IsPlaying();
  EXPECT_EQ(playing, 3);  // three of about 50 MiB fit

  for (const auto& sound : sounds) sound->Stop();
  sounds.clear();
  EXPECT_EQ(fw::LiveSoundBytesForTesting(), before);
  auto again = FolderItem(path).OpenAsSound();
  ASSERT_TRUE(again);
  again->Play();
  fw::FinishBackgroundWorkForTesting();
  EXPECT_TRUE(again->IsPlaying());
  again->Stop();
}

// Under a process limit no thread can be made: the device still rests (closed here, where a
// thrown error used to end the process) and comes back, and a sound still opens, decodes (here
// too) and plays. In a fresh process, which has no worker yet. Exit 0: all of that held.
TEST_F(SoundTest, WithoutThreadsTheDeviceRestsAndSoundsStillPlay) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        fw::SetAudioRestForTesting(50);
        fw::RefuseThreadsForTesting(true);
        int step = 1;
        for (; step <= 2; ++step) {
          auto sound = FolderItem(tone_.string()).OpenAsSound();
          if (!sound) break;
          sound->Play();
          fw::FinishBackgroundWorkForTesting();
          if (!sound->IsPlaying() || !fw::AudioOpenForTesting()) break;
          if (!fw::ProcessEventsUntil([] { return !fw::AudioOpenForTesting(); }, 5000)) break;
        }
        std::_Exit(step == 3 ? 0 : step);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(SoundTest, OnlyMp3FilesOpenAsSounds) {
  const std::string mp3 = testsupport::ReadFile(tone_);
  // A valid 8 kHz mono WAV of 0.1 s: the mixer would play it; it is not an MP3.
  std::string wav = "RIFF";
  auto le32 = [](uint32_t v) {
    return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
  };
  auto le16 = [](uint16_t v) { return std::string{char(v), char(v >> 8)}; };
  const uint32_t samples = 800;
  wav += le32(36 + samples * 2) + "WAVEfmt " + le32(16) + le16(1) + le16(1) + le32(8000) +
         le32(16000) + le16(2) + le16(16) + "data" + le32(samples * 2) +
         std::string(samples * 2, '\x10');
  std::string randomBytes(4096, '\0');
  for (size_t i = 0; i < randomBytes.size(); ++i) randomBytes[i] = char((i * 7919 + 13) % 251);

  const std::map<std::string, std::string> files = {
      {"empty.mp3", ""},
      {"id3-only.mp3", "ID3"},
      {"wave.mp3", wav},
      {"ogg.mp3", "OggS" + std::string(200, '\0')},
      {"random.mp3", randomBytes},
      {"adts.mp3", "\xFF\xF1\x50\x80" + std::string(400, '\x21')},
  };
  for (const auto& [name, bytes] : files) {
    EXPECT_FALSE(FolderItem(dir_.Write(name, bytes).string()).OpenAsSound()) << name;
  }
  // Begins as an MP3: only the decode, after the open, finds no frame in it.
  EXPECT_FALSE(testsupport::PlaysAsSound(dir_.Write("first-bytes.mp3", mp3.substr(0, 40))));
  std::filesystem::create_directory(dir_.File("folder.mp3"));
  EXPECT_FALSE(FolderItem(dir_.File("folder.mp3").string()).OpenAsSound());
  EXPECT_FALSE(FolderItem(dir_.File("missing.mp3").string()).OpenAsSound());
  ASSERT_EQ(mkfifo(dir_.File("fifo.mp3").c_str(), 0600), 0);
  EXPECT_FALSE(FolderItem(dir_.File("fifo.mp3").string()).OpenAsSound());
  const auto locked = dir_.Write("locked.mp3", mp3);
  chmod(locked.c_str(), 0);
  if (geteuid() != 0) {  // root reads it anyway
    EXPECT_FALSE(FolderItem(locked.string()).OpenAsSound());
  }

  EXPECT_TRUE(FolderItem(dir_.Write("renamed.dat", mp3).string()).OpenAsSound());
}

TEST_F(SoundTest, WithoutTheAudioLibrarySoundsOpenAsNoneAndItIsSaidOnce) {
  // In a fresh process: here the library is loaded already. Exit 1: a sound opened; 2: not
  // exactly the one line.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        fw::SetProgramName("someclock");
        fw::SetMixerLibraryForTesting("libvv-no-such-mixer.so.0");
        ::testing::internal::CaptureStderr();
        const bool opened = OpenTone() || OpenTone();
        const std::string err = ::testing::internal::GetCapturedStderr();
        std::fputs(err.c_str(), stderr);
        const bool oneLine = std::count(err.begin(), err.end(), '\n') == 1;
        std::_Exit(opened ? 1 : oneLine ? 0 : 2);
      },
      ::testing::ExitedWithCode(0),
      "someclock: no audio device \\(libvv-no-such-mixer[^\n]*\\); running silently");
}

// Last in this file: it closes the device and opens it again through the fallback.
TEST_F(SoundTest, WithoutADeviceSoundsRunSilentlyAndShutdownQuietsOldOnes) {
  auto before = OpenTone();
  ASSERT_TRUE(before);
  before->Play();
  fw::ShutdownSound();
  EXPECT_EQ(fw::ActiveSoundPlaybacks(), 0);
  EXPECT_FALSE(before->IsPlaying());

  const std::string driver = getenv("SDL_AUDIODRIVER") ? getenv("SDL_AUDIODRIVER") : "";
  setenv("SDL_AUDIODRIVER", "vv-no-such-driver", 1);
  const std::string name = fw::ProgramName();
  fw::SetProgramName("someclock");
  ::testing::internal::CaptureStderr();
  auto after = OpenTone();
  const std::string err = ::testing::internal::GetCapturedStderr();
  fw::SetProgramName(name);
  setenv("SDL_AUDIODRIVER", driver.c_str(), 1);
  ASSERT_TRUE(after);
  EXPECT_EQ(err.rfind("someclock: no audio device (", 0), 0u) << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;

  after->Play();
  EXPECT_TRUE(after->IsPlaying());
  before->Play();  // decoded for the old device: stays quiet
  EXPECT_FALSE(before->IsPlaying());
  EXPECT_EQ(fw::ActiveSoundPlaybacks(), 1);
  fw::ShutdownSound();
  EXPECT_FALSE(after->IsPlaying());
}

}  // namespace
