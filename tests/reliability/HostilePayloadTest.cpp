// Hostile files in the data payload, met by the running clock: a minute's picture, serif
// voice, minute voice or alarm sound that is empty, random, cut short, a decompression bomb,
// a folder, a pipe, a device, a dangling link or unreadable. Each is skipped the way a
// missing file is (no backdrop change, no playback) without a message, an exception or a
// line on stderr, and the next good minute works as before. (A cut MP3 is not among them:
// MP3 is a stream, and the frames before the cut play.) Also: a CMYK JPEG is a picture, and
// refusing a picture or a sound over its bound takes no more memory than the bound.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <fstream>
#include <functional>
#include <random>
#include <set>
#include <thread>

#include "framework/Testing.h"
#include "framework/files/FolderItem.h"
#include "framework/media/Picture.h"
#include "framework/media/Sound.h"
#include "framework/media/detail/DecodeMemory.h"
#include "framework/media/detail/EncodedPicture.h"
#include "framework/media/detail/JpegDecoder.h"
#include "framework/media/detail/JpegStream.h"
#include "framework/media/detail/PictureFormat.h"
#include "mediagen/MediaGen.h"
#include "support/ClockFixture.h"
#include "support/Pixels.h"
#include "support/Sounds.h"
#include "support/TestImages.h"

namespace fs = std::filesystem;
using testsupport::ClockFixture;
using testsupport::JpegBytes;
using testsupport::Payload;
using testsupport::ReadFile;

namespace {

std::string Two(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

void Write(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(rng());
  s[0] = 0x5A;  // never a JPEG, PNG, GIF or MP3 start by chance
  return s;
}

// The JPEG with byte `offset` of its last scan header (counted from the marker) set to
// `value`: a fault the decoder meets only when it reaches that scan.
std::string LastScanPatched(std::string jpeg, size_t offset, char value) {
  jpeg[jpeg.rfind("\xFF\xDA") + offset] = value;
  return jpeg;
}

QImage Noise(int w, int h) { return testsupport::Noise(w, h, 3); }

// The JPEG with its frame header claiming width x height.
std::string ClaimingSize(std::string jpeg, int width, int height) {
  const auto sof = jpeg.find("\xFF\xC0");
  if (sof == std::string::npos) return {};
  jpeg[sof + 5] = char(height >> 8), jpeg[sof + 6] = char(height & 0xFF);
  jpeg[sof + 7] = char(width >> 8), jpeg[sof + 8] = char(width & 0xFF);
  return jpeg;
}

uint32_t Crc32(const std::string& bytes) {
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char b : bytes) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

// A well-formed PNG whose header claims width x height over a few bytes of image data.
std::string PngClaiming(uint32_t width, uint32_t height) {
  auto be32 = [](uint32_t v) {
    return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
  };
  auto chunk = [&](const std::string& type, const std::string& data) {
    return be32(static_cast<uint32_t>(data.size())) + type + data + be32(Crc32(type + data));
  };
  return std::string("\x89PNG\r\n\x1a\n", 8) +
         chunk("IHDR", be32(width) + be32(height) + std::string("\x08\x02\x00\x00\x00", 5)) +
         chunk("IDAT", std::string("\x78\x9c\x63\x00\x00\x00\x01\x00\x01", 9)) + chunk("IEND", "");
}

// A baseline JPEG of one 8 x 8 block per component in Adobe CMYK (stored inverted, as
// Photoshop writes it): every pixel is (c, m, y, k). Written by hand: Qt writes no CMYK.
std::string CmykJpeg(uint8_t c, uint8_t m, uint8_t y, uint8_t k) {
  std::string out = "\xFF\xD8";
  auto segment = [&](uint8_t marker, const std::string& body) {
    const size_t length = body.size() + 2;
    out += char(0xFF);
    out += char(marker);
    out += char(length >> 8);
    out += char(length & 0xFF);
    out += body;
  };
  segment(0xEE, std::string("Adobe\x00\x64\x00\x00\x00\x00\x00", 12));  // transform 0: CMYK
  segment(0xDB, std::string(1, '\0') + std::string(64, '\x01'));        // quantiser 1
  std::string sof("\x08\x00\x08\x00\x08\x04", 6);
  for (char id = 1; id <= 4; ++id) sof += std::string{id, '\x11', '\0'};
  segment(0xC0, sof);
  // DC: the usual luminance code lengths for categories 0 to 11; AC: only end-of-block, "0".
  segment(0xC4,
          std::string("\x00\x00\x01\x05\x01\x01\x01\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00", 17) +
              std::string("\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B", 12));
  segment(0xC4, std::string("\x10\x01", 2) + std::string(15, '\0') + std::string(1, '\0'));
  std::string sos(1, '\x04');
  for (char id = 1; id <= 4; ++id) sos += std::string{id, '\0'};
  sos += std::string("\x00\x3F\x00", 3);
  segment(0xDA, sos);

  static const struct {
    int length;
    uint32_t code;
  } kDc[12] = {{2, 0x0}, {3, 0x2},  {3, 0x3},  {3, 0x4},  {3, 0x5},  {3, 0x6},
               {4, 0xE}, {5, 0x1E}, {6, 0x3E}, {7, 0x7E}, {8, 0xFE}, {9, 0x1FE}};
  uint32_t acc = 0;
  int bits = 0;
  auto put = [&](uint32_t code, int length) {
    for (int i = length - 1; i >= 0; --i) {
      acc = (acc << 1) | ((code >> i) & 1);
      if (++bits == 8) {
        out += char(acc);
        if (acc == 0xFF) out += '\0';
        acc = 0, bits = 0;
      }
    }
  };
  for (uint8_t v : {c, m, y, k}) {
    const int dc = 8 * (int(v) - 128);  // the DC coefficient of a flat block
    int category = 0;
    while ((1 << category) <= std::abs(dc)) ++category;
    put(kDc[category].code, kDc[category].length);
    if (category) put(uint32_t(dc < 0 ? dc + (1 << category) - 1 : dc), category);
    put(0, 1);  // end of block
  }
  while (bits) put(1, 1);
  return out + "\xFF\xD9";
}

std::string WavBytes() {
  auto le32 = [](uint32_t v) {
    return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
  };
  auto le16 = [](uint16_t v) { return std::string{char(v), char(v >> 8)}; };
  const uint32_t samples = 4000;
  return "RIFF" + le32(36 + samples * 2) + "WAVEfmt " + le32(16) + le16(1) + le16(1) + le32(8000) +
         le32(16000) + le16(2) + le16(16) + "data" + le32(samples * 2) +
         std::string(samples * 2, '\x20');
}

// A way of putting something hostile where a file should be.
struct Hostile {
  std::string kind;
  std::function<void(const fs::path&)> make;
};

std::vector<Hostile> CommonKinds() {
  return {
      {"zero bytes", [](const fs::path& p) { Write(p, ""); }},
      {"random bytes", [](const fs::path& p) { Write(p, RandomBytes(8192, 11)); }},
      {"text", [](const fs::path& p) { Write(p, "not what the name says\n"); }},
      {"folder", [](const fs::path& p) { fs::create_directory(p); }},
      {"named pipe", [](const fs::path& p) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); }},
      {"link to /dev/zero", [](const fs::path& p) { fs::create_symlink("/dev/zero", p); }},
      {"link to /dev/urandom", [](const fs::path& p) { fs::create_symlink("/dev/urandom", p); }},
      {"link to itself", [](const fs::path& p) { fs::create_symlink(p.filename(), p); }},
      {"link to a folder", [](const fs::path& p) { fs::create_directory_symlink("/", p); }},
  };
}

std::vector<Hostile> PictureKinds() {
  static const std::string jpeg = JpegBytes(Noise(64, 64));
  static const std::string progressive = JpegBytes(Noise(64, 64), true);
  auto kinds = CommonKinds();
  kinds.insert(
      kinds.end(),
      {
          {"JPEG cut in half",
           [](const fs::path& p) { Write(p, jpeg.substr(0, jpeg.size() / 2)); }},
          {"JPEG without its end",
           [](const fs::path& p) { Write(p, jpeg.substr(0, jpeg.size() - 2)); }},
          {"JPEG start marker only", [](const fs::path& p) { Write(p, "\xFF\xD8\xFF"); }},
          {"JPEG claiming 65535 x 65535",
           [](const fs::path& p) { Write(p, ClaimingSize(jpeg, 65535, 65535)); }},
          {"JPEG claiming 8193 x 8193",
           [](const fs::path& p) { Write(p, ClaimingSize(jpeg, 8193, 8193)); }},
          {"JPEG claiming 0 x 0", [](const fs::path& p) { Write(p, ClaimingSize(jpeg, 0, 0)); }},
          // Whole files whose header is sound, but which fail to decode further on.
          {"JPEG whose scan uses a table never defined",
           [](const fs::path& p) { Write(p, LastScanPatched(jpeg, 6, '\x33')); }},
          {"progressive JPEG whose last scan names no component of the frame",
           [](const fs::path& p) { Write(p, LastScanPatched(progressive, 5, '\x09')); }},
          {"progressive JPEG whose last scan runs past the 64th coefficient",
           [](const fs::path& p) { Write(p, LastScanPatched(progressive, 8, '\x50')); }},
          {"PNG claiming 100000 x 100000",
           [](const fs::path& p) { Write(p, PngClaiming(100000, 100000)); }},
          {"PNG cut inside its header",
           [](const fs::path& p) { Write(p, std::string("\x89PNG\r\n\x1a\n\xFF\xFF", 10)); }},
          {"GIF claiming 65535 x 65535",
           [](const fs::path& p) {
             Write(p, std::string("GIF89a\xFF\xFF\xFF\xFF\x00\x00\x00;", 14));
           }},
          {"MP3 named .jpg",
           [](const fs::path& p) {
             ASSERT_TRUE(mediagen::WriteMp3(p.string(), mediagen::Tone(440, 0.1)));
           }},
      });
  return kinds;
}

std::vector<Hostile> SoundKinds() {
  auto kinds = CommonKinds();
  kinds.insert(
      kinds.end(),
      {
          {"MP3 frame header only",
           [](const fs::path& p) { Write(p, std::string("\xFF\xFB\x90\x64", 4)); }},
          {"ID3 tag claiming 256 MB, then nothing",
           [](const fs::path& p) { Write(p, std::string("ID3\x04\x00\x00\x7F\x7F\x7F\x7F", 10)); }},
          {"ID3 tag then random bytes",
           [](const fs::path& p) {
             Write(p, std::string("ID3\x04\x00\x00\x00\x00\x00\x0A", 10) + std::string(10, '\0') +
                          RandomBytes(4096, 5));
           }},
          {"WAV named .mp3", [](const fs::path& p) { Write(p, WavBytes()); }},
          {"OGG named .mp3", [](const fs::path& p) { Write(p, "OggS" + std::string(400, '\0')); }},
          {"JPEG named .mp3", [](const fs::path& p) { Write(p, JpegBytes(Noise(8, 8))); }},
      });
  return kinds;
}

class HostilePayload : public ClockFixture {
 protected:
  void SetUp() override {
    MakePayload(Payload::Standard);
    // Voice actor 1 speaks at every minute of 13:00 to 13:59 and 15:00 to 15:59 and at the
    // ten-minute marks of 14:00 to 17:59.
    std::string time, serif;
    for (int h : {13, 15})
      for (int m = 0; m < 60; ++m) time += Two(h) + Two(m) + "\t1\r";
    for (int h = 14; h <= 17; ++h)
      for (int m = 0; m < 60; m += 10) serif += Two(h) + Two(m) + "\t1\r";
    WriteTable("ActTime.txt", time);
    WriteTable("ActSerif.txt", serif);
  }

  fs::path At(const std::string& name) const { return ActivePayload() / name; }

  // Nothing on stderr, except from Qt's JPEG reader, which still prints a warning for some
  // files it refuses (a frame header over 65500 pixels or of height 0): the file is skipped
  // all the same.
  static void ExpectQuiet(const std::string& kind, const std::string& err) {
    static const std::set<std::string> kWarnedAbout = {"JPEG claiming 65535 x 65535",
                                                       "JPEG claiming 0 x 0"};
    if (kWarnedAbout.count(kind)) return;
    EXPECT_EQ(err, "") << kind;
  }

  // Runs the minute work of hh:mm; returns the files played.
  std::vector<std::string> MinuteAt(int hh, int mm) {
    SetTime(hh, mm, 1);
    Tick();
    EXPECT_EQ(window_->lastTime, Two(hh) + ":" + Two(mm));
    return TakePlayed();
  }
};

TEST_F(HostilePayload, HostileMinutePicturesLeaveTheBackdropAsItWas) {
  WritePicture("t1200.jpg", 40, 60, 0x00C000);
  auto w = Start();
  Tick();
  const auto good = w->Backdrop();
  ASSERT_TRUE(good);
  EXPECT_GT((testsupport::PixelRgb(good, 10, 10) >> 8) & 0xFF, 0x80u);

  int minute = 1;
  for (const auto& k : PictureKinds()) {
    SCOPED_TRACE(k.kind);
    k.make(At("t12" + Two(minute) + ".jpg"));
    ::testing::internal::CaptureStderr();
    MinuteAt(12, minute++);
    ExpectQuiet(k.kind, ::testing::internal::GetCapturedStderr());
    EXPECT_FALSE(w->readPicture);
    EXPECT_EQ(w->Backdrop(), good);
  }
  EXPECT_TRUE(Messages().empty());

  // A resize with no picture to redraw, then a good minute again.
  w->HandleMenuCommand("largeMenu");
  fw::ProcessPendingEvents();
  EXPECT_EQ(w->Backdrop(), good);
  WritePicture("t1259.jpg", 40, 60, 0xC00000);
  MinuteAt(12, 59);
  ASSERT_TRUE(w->readPicture);
  EXPECT_NE(w->Backdrop(), good);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(HostilePayload, HostileVoicesAndAlarmSoundsPlayNothing) {
  const auto kinds = SoundKinds();
  // Minute voices at minutes that are no ten-minute mark, serif voices at the marks of
  // 14:10 to 17:50, alarms at 15:01 onwards.
  std::vector<int> plainMinutes;
  for (int m = 1; m < 60; ++m)
    if (m % 10) plainMinutes.push_back(m);
  ASSERT_LT(kinds.size(), 23u);
  // Alarm entry i names alarm-i.mp3; the last entry is a good sound.
  std::string alarm;
  for (size_t i = 0; i <= kinds.size(); ++i)
    alarm += "A " + std::to_string(i) + "%09alarm-" + std::to_string(i) + ".mp3\r\n";
  WriteTable("Alarm.txt", alarm);
  const std::string goodAlarm = "alarm-" + std::to_string(kinds.size()) + ".mp3";
  for (const std::string& f :
       {std::string("ot1359.mp3"), std::string("st1400.mp3"), goodAlarm, std::string("ot1500.mp3")})
    WriteSound(f, 0.1);

  auto w = Start();
  // The same three roles with good files play, so silence below means "skipped".
  EXPECT_EQ(MinuteAt(13, 59), std::vector<std::string>{"ot1359.mp3"});
  EXPECT_EQ(MinuteAt(14, 0), std::vector<std::string>{"st1400.mp3"});
  w->alarmCheck = true;
  w->alarmHour = "15";
  w->alarmMin = "00";
  w->alarmVoice = static_cast<int32_t>(kinds.size());
  EXPECT_EQ(MinuteAt(15, 0), std::vector<std::string>{goodAlarm});  // not ot1500.mp3

  for (size_t i = 0; i < kinds.size(); ++i) {
    const auto& k = kinds[i];
    SCOPED_TRACE(k.kind);
    std::string noise;
    const int m = plainMinutes[i];
    k.make(At("ot13" + Two(m) + ".mp3"));
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(MinuteAt(13, m).empty());
    noise += ::testing::internal::GetCapturedStderr();

    const int mark = static_cast<int>(i) + 1, hh = 14 + mark / 6, mm = (mark % 6) * 10;
    k.make(At("st" + Two(hh) + Two(mm) + ".mp3"));
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(MinuteAt(hh, mm).empty());
    noise += ::testing::internal::GetCapturedStderr();

    // The alarm's minute has a good minute voice, which the alarm branch takes the place of.
    WriteSound("ot15" + Two(m) + ".mp3", 0.1);
    k.make(At("alarm-" + std::to_string(i) + ".mp3"));
    w->alarmMin = Two(m);
    w->alarmVoice = static_cast<int32_t>(i);
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(MinuteAt(15, m).empty());
    noise += ::testing::internal::GetCapturedStderr();
    ExpectQuiet(k.kind, noise);
  }
  EXPECT_TRUE(Messages().empty());
}

TEST_F(HostilePayload, UnreadableFilesAreSkipped) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads files of mode 000";
  WritePicture("t1200.jpg", 40, 60, 0x00C000);
  WritePicture("t1301.jpg", 40, 60, 0xC00000);
  WriteSound("ot1301.mp3", 0.2);
  auto w = Start();
  Tick();
  const auto good = w->Backdrop();
  chmod(At("t1301.jpg").c_str(), 0);
  chmod(At("ot1301.mp3").c_str(), 0);
  EXPECT_TRUE(MinuteAt(13, 1).empty());
  EXPECT_EQ(w->Backdrop(), good);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(HostilePayload, CmykJpegIsAPicture) {
  // Stored inverted: (c, m, y, k) shows as (c * k, m * k, y * k) / 255.
  Write(At("t1200.jpg"), CmykJpeg(0xFF, 0x80, 0x20, 0xC0));
  auto w = Start();
  Tick();
  ASSERT_TRUE(w->readPicture) << "a CMYK JPEG opens as no picture";
  EXPECT_EQ(w->readPicture->Width(), 8);
  const uint32_t rgb = testsupport::PixelRgb(w->Backdrop(), 20, 20);
  const int want[3] = {0xFF * 0xC0 / 255, 0x80 * 0xC0 / 255, 0x20 * 0xC0 / 255};
  for (int i = 0; i < 3; ++i)
    EXPECT_NEAR(int((rgb >> (16 - 8 * i)) & 0xFF), want[i], 6) << std::hex << rgb;
  EXPECT_TRUE(Messages().empty());
}

// ---- memory bounds ---------------------------------------------------------------------------

// The process's peak resident size since the last reset, in bytes.
int64_t PeakResident() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stoll(line.substr(6)) * 1024;
  return -1;
}

bool ResetPeakResident() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  clear.flush();
  return static_cast<bool>(clear);
}


// `tens` times ten seconds of 8 kHz silence at 8 kbit/s, as one stream.
std::string SilenceAt8Kbps(const testsupport::TempDir& dir, int tens) {
  EXPECT_TRUE(mediagen::WriteMp3(dir.File("ten.mp3").string(), mediagen::Silence(10, 8000), 8));
  const std::string ten = ReadFile(dir.File("ten.mp3"));
  std::string stream;
  for (int i = 0; i < tens; ++i) stream += ten;
  return stream;
}

// A small MP3 that decodes to more than the bound allows: 8 kbit/s of silence sampled at
// 8 kHz, played at 44.1 kHz in stereo, grows about 175-fold.
// The decode stops at the bound, holding the stream at its own rate until then, so refusing it
// costs no decoded copy at the mixer's rate: decoding it whole grew the peak by about 400 MiB.
TEST(SoundBound, SmallFileThatDecodesPastTheBoundOpensAsNoSound) {
  testsupport::TempDir dir;
  const std::string ten = SilenceAt8Kbps(dir, 1);
  // Concatenated MP3 streams are one stream: 1200 s, about 200 MiB decoded.
  const std::string bomb = SilenceAt8Kbps(dir, 120);
  ASSERT_LT(bomb.size(), 2u << 20);
  const auto path = dir.Write("bomb.mp3", bomb);

  // Within the bound it is a sound: the same stream, 300 s.
  EXPECT_TRUE(testsupport::PlaysAsSound(dir.Write("long.mp3", bomb.substr(0, ten.size() * 30))));

  ASSERT_TRUE(ResetPeakResident());
  const int64_t before = PeakResident();
  EXPECT_FALSE(testsupport::PlaysAsSound(path));
  const int64_t grown = PeakResident() - before;
  // Decoding may stop anywhere past the bound, but not run on to the end of the stream.
  EXPECT_LT(grown, fw::kMaxSoundBytes + (48LL << 20)) << "peak grew by " << (grown >> 20) << " MiB";
}

// The decoder takes MPEG audio of every layer, and frames whose header names no bitrate (free
// format, as long as the next header says): an ID3 tag before MPEG-2 Layer II frames let the
// stream past the length check, and 20 MB decoded for 27 s to 6.8 GB. Each file below is
// silence claiming about 100 MiB decoded; within the bound the same stream is a sound.
TEST(SoundBound, StreamsOfEveryLayerAndFreeFormatAreMeasured) {
  const struct {
    const char* kind;
    const char* header;  // 16 kHz mono, no CRC; nothing allocated after it: silence
    size_t frameBytes;
    int frames;
  } kStreams[] = {
      {"MPEG-2 Layer II at 8 kbit/s behind an ID3 tag", "\xFF\xF5\x18\xC0", 72, 8000},
      {"MPEG-2 Layer II, free format, behind an ID3 tag", "\xFF\xF5\x08\xC0", 13, 8000},
      {"MPEG-2 Layer III, free format", "\xFF\xF3\x08\xC0", 13, 16000},
  };
  testsupport::TempDir dir;
  for (const auto& stream : kStreams) {
    SCOPED_TRACE(stream.kind);
    auto bytes = [&](int frames) {
      std::string frame(stream.header, 4);
      frame.resize(stream.frameBytes, '\0');
      std::string out;
      if (frame[1] != '\xF3')
        out = std::string("ID3\x04\x00\x00\x00\x00\x00\x0A", 10) + std::string(10, '\0');
      for (int i = 0; i < frames; ++i) out += frame;
      return out;
    };
    EXPECT_TRUE(testsupport::PlaysAsSound(dir.Write("short.mp3", bytes(100))))
        << "not decoded";
    const auto path = dir.Write("long.mp3", bytes(stream.frames));
    ASSERT_TRUE(ResetPeakResident());
    const int64_t before = PeakResident();
    EXPECT_FALSE(testsupport::PlaysAsSound(path));
    const int64_t grown = PeakResident() - before;
    EXPECT_LT(grown, 16LL << 20) << "peak grew by " << (grown >> 20) << " MiB";
  }
}

// An ID3 tag that a length parser skips and the decoder rejects (and resyncs past): the
// stream behind it, 1200 s at 8 kbit/s, is what decodes. Refused within the bound's memory.
TEST(SoundBound, StreamBehindATagTheDecoderRejectsIsMeasuredAsDecoded) {
  testsupport::TempDir dir;
  const std::string ten = SilenceAt8Kbps(dir, 1), stream = SilenceAt8Kbps(dir, 120);
  const struct {
    const char* kind;
    std::string tag;
  } kTags[] = {
      {"size bytes not synchsafe", std::string("ID3\x03\x00\x00\xFF\xFF\xFF\xFF", 10)},
      {"version byte FF", std::string("ID3\xFF\x00\x00\x7F\x7F\x7F\x7F", 10)},
  };
  for (const auto& t : kTags) {
    SCOPED_TRACE(t.kind);
    EXPECT_TRUE(testsupport::PlaysAsSound(dir.Write("short.mp3", t.tag + ten)))
        << "the stream behind the tag decodes";
    const auto path = dir.Write("tagged.mp3", t.tag + stream);
    ASSERT_TRUE(ResetPeakResident());
    const int64_t before = PeakResident();
    EXPECT_FALSE(testsupport::PlaysAsSound(path));
    const int64_t grown = PeakResident() - before;
    EXPECT_LT(grown, 16LL << 20) << "peak grew by " << (grown >> 20) << " MiB";
  }
}

// The decoder is told to keep quiet, and the stream converter says nothing: however broken
// the frames behind a sound's first bytes, its decode (on a worker) writes nothing to stderr.
TEST(SoundQuiet, BrokenStreamsDecodeWithoutALineOnStderr) {
  testsupport::TempDir dir;
  ASSERT_TRUE(mediagen::WriteMp3(dir.File("tone.mp3").string(), mediagen::Tone(440, 1.0)));
  ASSERT_TRUE(mediagen::WriteMp3(dir.File("low.mp3").string(), mediagen::Silence(1.0, 8000), 8));
  const std::string tone = ReadFile(dir.File("tone.mp3")), low = ReadFile(dir.File("low.mp3"));
  std::vector<std::string> files = {tone + low + tone, tone.substr(0, tone.size() / 3)};
  for (unsigned seed = 1; seed <= 12; ++seed) {
    std::string flipped = tone;  // one byte in a hundred changed, the first header kept
    std::mt19937 random(seed);
    for (size_t i = 4; i < flipped.size(); ++i)
      if (random() % 100 == 0) flipped[i] = char(random());
    files.push_back(flipped);
    const std::string noise = RandomBytes(4096, seed);
    files.push_back(std::string("ID3\x04\x00\x00\x00\x00\x00\x0A", 10) + std::string(10, '\0') +
                    noise);
    // Frame headers of Layer III, II and I, then bytes that are no frame.
    for (const char* header : {"\xFF\xFB\x90\x64", "\xFF\xFD\x90\x64", "\xFF\xFF\x90\x64"})
      files.push_back(std::string(header, 4) + noise);
  }
  ::testing::internal::CaptureStderr();
  int played = 0;
  for (size_t i = 0; i < files.size(); ++i)
    played += testsupport::PlaysAsSound(dir.Write("f" + std::to_string(i) + ".mp3", files[i]));
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, "");
  EXPECT_GT(played, 0);  // some of them decode: the stderr above is the decode's
}

TEST(PictureBound, LargestAllowedPictureAndOneRowMore) {
  // 8192 x 8192 is exactly the bound on what a JPEG file may claim; one more row is refused
  // before a pixel is allocated. A new blank picture is held to 5120 x 5120 (100 MiB).
  testsupport::TempDir dir;
  const std::string jpeg = JpegBytes(Noise(16, 16));
  EXPECT_TRUE(
      fw::EncodedPicture::Read(dir.Write("at.jpg", ClaimingSize(jpeg, 8192, 8192)).string()));
  ASSERT_TRUE(ResetPeakResident());
  const int64_t before = PeakResident();
  EXPECT_FALSE(fw::FolderItem(dir.Write("over.jpg", ClaimingSize(jpeg, 8192, 8193)).string())
                   .OpenAsPicture());
  EXPECT_LT(PeakResident() - before, 16LL << 20);
  EXPECT_EQ(fw::kMaxPicturePixels, 5120LL * 5120);
}

// What a file costs is held where the work is done, in the decode: a file is no picture at open
// only for what no ordinary photo is, and a decode that would pass the work or memory budget
// yields nothing. `draws`: the decode for the largest window's pixels yields the picture.
TEST(PictureBound, WhatTheDecodeWouldDoIsBounded) {
  // A small progressive file whose frame claims width x height (every colour at full
  // resolution when `full`), its last scan repeated until there are `scans`.
  const std::string progressive = JpegBytes(Noise(16, 16), true);
  auto claiming = [&](int width, int height, int scans, bool full) {
    std::string jpeg = progressive;
    const auto sof = jpeg.find("\xFF\xC2");
    jpeg[sof + 5] = char(height >> 8), jpeg[sof + 6] = char(height & 0xFF);
    jpeg[sof + 7] = char(width >> 8), jpeg[sof + 8] = char(width & 0xFF);
    for (int c = 0; full && c < 3; ++c) jpeg[sof + 11 + 3 * c] = '\x11';
    const size_t last = jpeg.rfind("\xFF\xDA");
    const std::string lastScan = jpeg.substr(last, jpeg.size() - 2 - last);
    jpeg.resize(jpeg.size() - 2);
    for (int i = 10; i < scans; ++i) jpeg += lastScan;
    return jpeg + "\xFF\xD9";
  };
  QImage white(2561, 2048, QImage::Format_RGB32);
  white.fill(Qt::white);
  QByteArray png;
  QBuffer buffer(&png);
  ASSERT_TRUE(buffer.open(QIODevice::WriteOnly) && white.save(&buffer, "PNG"));
  // Comment segments ahead of a small picture: 17 MB, 69 MB, and just over 3 MiB.
  auto commented = [](int segments, const std::string& jpeg) {
    std::string comments;
    for (int i = 0; i < segments; ++i) comments += "\xFF\xFE\xFF\xFF" + std::string(65533, 'x');
    return "\xFF\xD8" + comments + jpeg.substr(2);
  };

  const struct {
    const char* kind;
    std::string bytes;
    bool opens, draws;
  } cases[] = {
      // Its coefficients alone would take 192 MiB.
      {"claiming 8192 x 8192 in 100 scans", claiming(8192, 8192, 100, false), true, false},
      // The data of each scan runs out at once: a cut file.
      {"claiming 5120 x 3125 in 10 scans", claiming(5120, 3125, 10, false), true, false},
      {"claiming 5120 x 5120, colour at full resolution", claiming(5120, 5120, 10, true), true,
       false},
      {"PNG of 2561 x 2048 named .jpg", png.toStdString(), true, true},
      {"JPEG behind 17 MB of comments", commented(260, JpegBytes(Noise(16, 16))), true, true},
      {"JPEG behind 69 MB of comments", commented(1050, JpegBytes(Noise(16, 16))), false, false},
      {"single scan of over 3 MiB", commented(49, JpegBytes(Noise(16, 16))), true, true},
      {"progressive of over 3 MiB", commented(49, progressive), true, true},
  };
  testsupport::TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    const auto picture = fw::EncodedPicture::Read(dir.Write("p.jpg", c.bytes).string());
    EXPECT_EQ(bool(picture), c.opens);
    if (picture) {
      EXPECT_EQ(!picture->Decode(QSize(1536, 2048), 3 * 1536 * 2048).isNull(), c.draws);
    }
  }
}

// The largest photos of each kind, generated once per test program: each opens and decodes,
// at 1/8 and for a 640 x 960 window (within the largest window's decode bound), to the size the
// scale promises. Noise makes the files as large as the real ones.
TEST(PictureBound, OrdinaryPhotosShow) {
  using testsupport::JpegSpec;
  auto spec = [](int w, int h, int quality, JpegSpec::Colour colour, bool progressive, int noise) {
    JpegSpec s;
    s.width = w, s.height = h, s.quality = quality, s.colour = colour;
    s.progressive = progressive, s.noise = noise;
    return s;
  };
  auto qtFile = [](const char* name, const std::string& bytes) {
    static testsupport::TempDir dir;
    return dir.Write(name, bytes);
  };
  QByteArray png, bmp;
  {
    const QImage noise = Noise(4096, 4096);
    QBuffer a(&png), b(&bmp);
    ASSERT_TRUE(a.open(QIODevice::WriteOnly) && noise.save(&a, "PNG"));
    ASSERT_TRUE(b.open(QIODevice::WriteOnly) && noise.save(&b, "BMP"));
  }
  const struct {
    const char* kind;
    fs::path file;
    int64_t atLeastBytes;
  } cases[] = {
      {"baseline 50 Mpx, 40 MB",
       testsupport::CachedJpeg("b50.jpg", spec(8640, 5760, 95, JpegSpec::k420, false, 96)),
       38'000'000},
      {"progressive 24 Mpx 4:4:4, 24 MB",
       testsupport::CachedJpeg("p24.jpg", spec(6000, 4000, 95, JpegSpec::k444, true, 42)),
       22'000'000},
      {"progressive 45 Mpx 4:2:0, 24 MB",
       testsupport::CachedJpeg("p45.jpg", spec(8256, 5504, 95, JpegSpec::k420, true, 46)),
       22'000'000},
      {"progressive 4K wallpaper, 8 MB",
       testsupport::CachedJpeg("p4k.jpg", spec(3840, 2160, 97, JpegSpec::k420, true, 135)),
       7'500'000},
      {"progressive 5K wallpaper, 16 MB",
       testsupport::CachedJpeg("p5k.jpg", spec(5640, 3172, 96, JpegSpec::k420, true, 120)),
       15'000'000},
      {"PNG 16 Mpx named .jpg", qtFile("png.jpg", png.toStdString()), 0},
      {"BMP 16 Mpx named .jpg", qtFile("bmp.jpg", bmp.toStdString()), 0},
      {"GIF 16 Mpx named .jpg", qtFile("gif.jpg", testsupport::GifBytes(4096, 4096)), 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    EXPECT_GE(int64_t(fs::file_size(c.file)), c.atLeastBytes);
    const auto picture = fw::EncodedPicture::Read(c.file.string());
    ASSERT_TRUE(picture);
    const QSize size = picture->Size();
    const bool jpeg = c.atLeastBytes > 0;
    for (QSize atLeast : {QSize(1, 1), QSize(640, 960)}) {
      const int eighths = jpeg ? fw::JpegEighths(size, atLeast, 3 * 1536 * 2048) : 8;
      const QImage image = picture->Decode(atLeast, 3 * 1536 * 2048);
      EXPECT_EQ(image.size(),
                QSize((size.width() * eighths + 7) / 8, (size.height() * eighths + 7) / 8))
          << atLeast.width();
    }
    // The largest window at twice the density: where the scale it asks for would pass the
    // memory budget, a smaller one shows.
    EXPECT_FALSE(picture->Decode(QSize(1536, 2048), 3 * 1536 * 2048).isNull());
  }
}

// Files made to cost the most: each decode stops at its work budget (by the decoder's count,
// on any machine), or is refused by the memory budget, and yields nothing.
TEST(PictureBound, HostileFilesStopAtTheirBudget) {
  using testsupport::JpegSpec;
  JpegSpec arithmetic;
  arithmetic.width = arithmetic.height = 5120, arithmetic.quality = 92, arithmetic.noise = 255;
  arithmetic.arithmetic = true;
  JpegSpec restarts;
  restarts.width = 4000, restarts.height = 3000, restarts.noise = 40, restarts.restartMcus = 1;
  // A real progressive picture whose DC refinement scan (its fifth, a bit a block) is repeated
  // up to the most scans a file may have: each repeat is a pass over every block.
  JpegSpec grey;
  grey.width = grey.height = 8192, grey.colour = JpegSpec::kGrey, grey.progressive = true;
  grey.noise = 16, grey.quality = 80;
  std::string repeated = testsupport::LibJpegBytes(grey);
  {
    size_t sos = 0;
    for (int i = 0; i < 5; ++i) sos = repeated.find("\xFF\xDA", sos + 1);
    size_t end = sos + 2;
    while (!(repeated[end] == '\xFF' && repeated[end + 1] != '\0' &&
             (repeated[end + 1] & 0xF8) != 0xD0))
      ++end;
    const std::string scan = repeated.substr(sos, end - sos);
    std::string copies;
    for (int i = 6; i < fw::kMaxJpegScans; ++i) copies += scan;  // beside its own 6
    repeated.insert(end, copies);
  }
  testsupport::TempDir dir;
  const struct {
    const char* kind;
    fs::path file;
    bool draws;
  } cases[] = {
      {"arithmetic-coded 5120 x 5120", testsupport::CachedJpeg("arith.jpg", arithmetic), false},
      {"100 scans over 8192 x 8192", dir.Write("scans.jpg", repeated), false},
      // Costs its bytes, and a restart every block is few bytes: it shows.
      {"a restart marker after every MCU", testsupport::CachedJpeg("rst.jpg", restarts), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    const std::string bytes = ReadFile(c.file);
    ASSERT_TRUE(fw::EncodedPicture::Read(c.file.string()));
    for (int eighths : {1, 2}) {
      int64_t work = 0;
      fw::JpegDecoder::Options options;
      options.work = &work;
      EXPECT_EQ(!fw::JpegDecoder::Decode(bytes, eighths, options).isNull(), c.draws) << eighths;
      // Stopped at the first count past the budget: an iMCU row's worth over it at most.
      EXPECT_LE(work, fw::kMaxJpegWork * 21 / 20) << eighths;
    }
  }
}

// Two decodes at once on two threads: the second waits for the first's memory, and the peak
// stays within the decode budget (a 4096 x 4096 progressive file with its colour at full
// resolution takes 96 MiB of coefficients; both at once would take 192).
TEST(PictureBound, TwoDecodesAtOnceShareTheMemoryBudget) {
  testsupport::JpegSpec spec;
  spec.width = spec.height = 4096, spec.colour = testsupport::JpegSpec::k444;
  spec.progressive = true, spec.noise = 8, spec.quality = 75;
  const auto picture = fw::EncodedPicture::Read(testsupport::CachedJpeg("two.jpg", spec).string());
  ASSERT_TRUE(picture);
  ASSERT_TRUE(ResetPeakResident());
  const int64_t before = PeakResident();
  QImage one, two;
  std::thread a([&] { one = picture->Decode(QSize(1024, 1024), 3 * 1536 * 2048); });
  std::thread b([&] { two = picture->Decode(QSize(1024, 1024), 3 * 1536 * 2048); });
  a.join();
  b.join();
  EXPECT_EQ(one.size(), QSize(1024, 1024));
  EXPECT_EQ(two.size(), QSize(1024, 1024));
  const int64_t grown = PeakResident() - before;
#if !defined(__SANITIZE_ADDRESS__)  // AddressSanitizer keeps freed memory in quarantine
  EXPECT_LT(grown, fw::kDecodeMemoryBytes + (16LL << 20))
      << "peak grew by " << (grown >> 20) << " MiB";
#else
  (void)grown;
#endif
}

// A decode whose cancel flag is set yields nothing, JPEG or not; set while it waits for
// memory, it stops waiting.
TEST(PictureBound, CancelledDecodeYieldsNothing) {
  testsupport::TempDir dir;
  QByteArray png;
  QBuffer buffer(&png);
  ASSERT_TRUE(buffer.open(QIODevice::WriteOnly) && Noise(300, 300).save(&buffer, "PNG"));
  const fs::path files[] = {dir.Write("a.jpg", JpegBytes(Noise(300, 300))),
                            dir.Write("b.jpg", JpegBytes(Noise(300, 300), true)),
                            dir.Write("c.jpg", png.toStdString())};
  std::atomic<bool> cancel{true};
  for (const auto& file : files) {
    const auto picture = fw::EncodedPicture::Read(file.string());
    ASSERT_TRUE(picture) << file;
    EXPECT_FALSE(picture->Decode(QSize(300, 300), fw::kMaxPicturePixels).isNull()) << file;
    EXPECT_TRUE(picture->Decode(QSize(300, 300), fw::kMaxPicturePixels, &cancel).isNull()) << file;
  }
  fw::DecodeMemory all;
  ASSERT_TRUE(all.Take(fw::kDecodeMemoryBytes, nullptr));
  EXPECT_TRUE(fw::EncodedPicture::Read(files[0].string())
                  ->Decode(QSize(300, 300), fw::kMaxPicturePixels, &cancel)
                  .isNull());
}

// libpng warns of every chunk whose CRC is wrong, through Qt's image readers: a file of 1.25
// million such chunks made 1.25 million lines on stderr. One line at most, whichever side of
// the pixels they are; and after the pixels the picture still shows.
TEST(PictureBound, PngChunkFloodIsQuiet) {
  QByteArray png;
  QBuffer buffer(&png);
  ASSERT_TRUE(buffer.open(QIODevice::WriteOnly) && Noise(64, 64).save(&buffer, "PNG"));
  testsupport::TempDir dir;
  for (bool afterPixels : {true, false}) {
    SCOPED_TRACE(afterPixels ? "after the pixels" : "before the pixels");
    const auto file =
        dir.Write("flood.jpg", testsupport::PngChunkFlood(png.toStdString(), 1250000, afterPixels));
    ::testing::internal::CaptureStderr();
    const auto picture = fw::EncodedPicture::Read(file.string());
    const QImage image = picture ? picture->Decode(QSize(64, 64)) : QImage();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_LE(std::count(err.begin(), err.end(), '\n'), 1) << err.substr(0, 400);
    // The flood is the decode's work, on a worker; opening reads only the header.
    EXPECT_EQ(image.size(), QSize(64, 64));
  }
}

// Drawn whole, a picture decodes no larger than it needs: a 24-megapixel photo drawn at the
// largest window at twice the density decodes at a quarter of its pixels, not whole (96 MB).
TEST(PictureBound, DrawnAtTheLargestWindowDecodesAQuarter) {
  testsupport::TempDir dir;
  ASSERT_TRUE(mediagen::WriteSolidJpeg(dir.File("photo.jpg").string(), 6000, 4000, 0x336699, 50));
  auto photo = fw::FolderItem(dir.File("photo.jpg").string()).OpenAsPicture();
  ASSERT_TRUE(photo);
  auto target = fw::New<fw::Picture>(1536, 2048);
  ASSERT_TRUE(ResetPeakResident());
  const int64_t before = PeakResident();
  target->Graphics()->DrawPicture(photo, 0, 0, 1536, 2048, 0, 0, 6000, 4000);
  const int64_t grown = PeakResident() - before;
  EXPECT_LT(grown, 64LL << 20) << "peak grew by " << (grown >> 20) << " MiB";
}

}  // namespace

namespace {

// A minute table that names the same minute on many lines: each line is one playback of the
// minute's voice, but a playback need not be one more decoded copy: decoded anew for every
// line, 400 lines and a 2 s voice took about 140 MiB, and a table of a few megabytes would
// take all the memory there is. Nor one more mixer channel without end: 100,000 lines held
// the main thread for 38 s. Sixteen playbacks at most.
class ScheduleBound : public ClockFixture {};

TEST_F(ScheduleBound, ManyLinesForOneMinuteShareOneDecodedVoiceAndSixteenPlaybacks) {
  MakePayload(Payload::Standard);
  std::string time;
  for (int i = 0; i < 400; ++i) time += "1201\t" + std::to_string(1 + i % 12) + "\r";
  WriteTable("ActTime.txt", time);
  WriteSound("ot1201.mp3", 2.0);
  SetTime(12, 0, 30);
  auto w = Start();
  Tick();
  ASSERT_TRUE(ResetPeakResident());
  const int64_t before = PeakResident();
  SetTime(12, 1, 1);
  Tick();
  EXPECT_EQ(TakePlayed().size(), 16u);
  EXPECT_EQ(fw::ActiveSoundPlaybacks(), 16);
  const int64_t grown = PeakResident() - before;
  EXPECT_LT(grown, 16LL << 20) << "peak grew by " << (grown >> 20) << " MiB";
}

}  // namespace
