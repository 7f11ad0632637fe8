#pragma once
// Generated pictures and sounds: the demo payload and the tests make theirs with these.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class QImage;

namespace mediagen {

// Mono 16-bit PCM.
struct Pcm {
  int sampleRate = 22050;
  std::vector<int16_t> samples;
  double Seconds() const { return sampleRate ? double(samples.size()) / sampleRate : 0; }
};

Pcm Tone(double frequencyHz, double seconds, int sampleRate = 22050, double amplitude = 0.5);
Pcm Silence(double seconds, int sampleRate = 22050);
void Append(Pcm& to, const Pcm& from);  // same sample rate

// A tone whose pitch glides linearly from one frequency to another.
Pcm Sweep(double fromHz, double toHz, double seconds, int sampleRate = 22050,
          double amplitude = 0.5);
// Multiplies the sound by exp(-rate * t): a struck bell or a plucked note.
void Decay(Pcm& pcm, double ratePerSecond);
// Adds `from` into `to` starting at sample `offset`, growing `to` as needed and clipping the sum.
void MixInto(Pcm& to, const Pcm& from, size_t offset = 0);  // same sample rate

// Scales the sound so its loudest sample reaches `peak` (0 to 1) of full scale; silence stays.
void Normalize(Pcm& pcm, double peak = 0.8);

// Reads a RIFF WAVE of 8- or 16-bit PCM, mixing several channels down to one. A data chunk
// that claims more bytes than there are (a streamed header) is read to the end. False when
// the bytes are no such file.
bool ParseWav(const std::string& bytes, Pcm& out);
bool ReadWav(const std::string& path, Pcm& out);
// Linear-interpolated change of sample rate.
Pcm Resample(const Pcm& pcm, int sampleRate);
// Drops the quiet lead-in and tail, keeping `keepSeconds` of each around the loud part.
// A sound that never exceeds the threshold becomes empty.
void TrimSilence(Pcm& pcm, int threshold = 300, double keepSeconds = 0.01);

// Encodes to MP3 (CBR, mono). False on failure.
bool WriteMp3(const std::string& path, const Pcm& pcm, int bitrateKbps = 64);
// Writes a JPEG. False on failure.
bool WriteJpeg(const std::string& path, const QImage& image, int quality = 90);
// A JPEG of one colour.
bool WriteSolidJpeg(const std::string& path, int width, int height, uint32_t rgb, int quality = 90);

}  // namespace mediagen
