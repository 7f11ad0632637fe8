#include "make_payload/AlarmSounds.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace payload {
namespace {

using mediagen::Pcm;

constexpr int kRate = 22050;

double Semitones(double base, double n) { return base * std::pow(2.0, n / 12.0); }

size_t At(double seconds) { return static_cast<size_t>(seconds * kRate); }

// A struck note: the fundamental with two softer partials, dying away.
Pcm Struck(double hz, double seconds, double decayPerSecond, double amplitude = 0.38,
           double partial = 2.0) {
  Pcm note = mediagen::Tone(hz, seconds, kRate, amplitude);
  mediagen::MixInto(note, mediagen::Tone(hz * partial, seconds, kRate, amplitude * 0.35));
  mediagen::MixInto(note, mediagen::Tone(hz * 3.01, seconds, kRate, amplitude * 0.15));
  mediagen::Decay(note, decayPerSecond);
  return note;
}

// Pads with silence or cuts with a short fade, so every alarm lasts a similar while.
void Fit(Pcm& pcm) {
  const size_t minimum = At(kAlarmMinSeconds), maximum = At(kAlarmMaxSeconds);
  if (pcm.samples.size() < minimum) pcm.samples.resize(minimum, 0);
  if (pcm.samples.size() > maximum) {
    pcm.samples.resize(maximum);
    const size_t fade = At(0.05);
    for (size_t i = 0; i < fade; ++i)
      pcm.samples[maximum - 1 - i] =
          static_cast<int16_t>(pcm.samples[maximum - 1 - i] * double(i) / fade);
  }
}

// Two to five strokes of a bell, at three pitches.
Pcm Bell(int v) {
  const int strokes = 2 + v % 4;
  const double hz = std::array{880.0, 660.0, 523.0}[size_t(v / 4)];
  Pcm pcm;
  pcm.sampleRate = kRate;
  for (int i = 0; i < strokes; ++i)
    mediagen::MixInto(pcm, Struck(hz, 1.6, 3.0, 0.38, 2.76), At(i * 0.5));
  return pcm;
}

// A short tune of chime notes that ring into each other.
Pcm Chime(int v) {
  static const std::array<std::vector<int>, 12> kTunes = {{
      {0, 4, 7},
      {7, 4, 0},
      {0, 4, 7, 12},
      {12, 7, 4, 0},
      {0, 7, 12, 7},
      {4, 0, 4, 7},
      {0, 2, 4, 7, 12},
      {12, 11, 7, 4, 0},
      {7, 12, 4, 7},
      {0, 5, 9, 12},
      {9, 5, 0},
      {0, 3, 7, 10, 12},
  }};
  const double base = v % 2 ? 440.0 : 523.25;
  Pcm pcm;
  pcm.sampleRate = kRate;
  const auto& tune = kTunes[size_t(v)];
  for (size_t i = 0; i < tune.size(); ++i)
    mediagen::MixInto(pcm, Struck(Semitones(base, tune[i]), 1.4, 2.5, 0.30), At(double(i) * 0.42));
  return pcm;
}

// Groups of two to five short beeps, at three pitches.
Pcm Beeps(int v) {
  const int perGroup = 2 + v % 4;
  const double hz = std::array{1000.0, 1400.0, 2000.0}[size_t(v / 4)];
  Pcm beep = mediagen::Tone(hz, 0.08, kRate, 0.38);
  mediagen::MixInto(beep, mediagen::Tone(hz * 3, 0.08, kRate, 0.1));
  Pcm pcm;
  pcm.sampleRate = kRate;
  while (pcm.Seconds() < 2.6) {
    for (int i = 0; i < perGroup; ++i) {
      mediagen::Append(pcm, beep);
      mediagen::Append(pcm, mediagen::Silence(0.07, kRate));
    }
    mediagen::Append(pcm, mediagen::Silence(0.45, kRate));
  }
  return pcm;
}

// A hammer on a bell, in three bursts: the old alarm clock.
Pcm Ringer(int v) {
  const double strikesPerSecond = 14.0 + 3.0 * (v % 4);
  const double hz = std::array{1200.0, 900.0, 1600.0}[size_t(v / 4)];
  const Pcm strike = Struck(hz, 0.15, 20.0, 0.32, 2.7);
  Pcm pcm;
  pcm.sampleRate = kRate;
  for (int burst = 0; burst < 3; ++burst) {
    const double start = burst * 1.1;
    for (double t = 0; t < 0.8; t += 1.0 / strikesPerSecond)
      mediagen::MixInto(pcm, strike, At(start + t));
  }
  return pcm;
}

// Eight notes up, down or around a major or minor scale.
Pcm Melody(int v) {
  static const std::array<std::array<int, 8>, 4> kSteps = {{
      {0, 1, 2, 3, 4, 5, 6, 7},
      {7, 6, 5, 4, 3, 2, 1, 0},
      {0, 2, 4, 7, 4, 2, 0, 4},
      {0, 4, 2, 5, 3, 6, 4, 7},
  }};
  static constexpr std::array<int, 8> kMajor = {0, 2, 4, 5, 7, 9, 11, 12};
  static constexpr std::array<int, 8> kMinor = {0, 2, 3, 5, 7, 8, 10, 12};
  const auto& scale = v % 3 == 1 ? kMinor : kMajor;
  const double beat = 0.20 + 0.05 * (v % 3);
  const double base = v % 3 == 2 ? 392.0 : 587.33;
  Pcm pcm;
  pcm.sampleRate = kRate;
  const auto& steps = kSteps[size_t(v / 3)];
  for (size_t i = 0; i < steps.size(); ++i)
    mediagen::MixInto(pcm, Struck(Semitones(base, scale[size_t(steps[i])]), beat + 0.6, 4.0, 0.32),
                      At(double(i) * beat));
  return pcm;
}

// Wailing, whooping or two-tone, at four speeds.
Pcm Siren(int v) {
  const double period = std::array{1.2, 0.9, 0.6, 0.4}[size_t(v / 3)];
  const double low = 600, high = 1300;
  const int cycles = std::max(1, int(std::lround(3.0 / period)));
  Pcm pcm;
  pcm.sampleRate = kRate;
  for (int c = 0; c < cycles; ++c) {
    switch (v % 3) {
      case 0:
        mediagen::Append(pcm, mediagen::Sweep(low, high, period / 2, kRate, 0.4));
        mediagen::Append(pcm, mediagen::Sweep(high, low, period / 2, kRate, 0.4));
        break;
      case 1:
        mediagen::Append(pcm, mediagen::Sweep(low, high * 1.2, period * 0.8, kRate, 0.4));
        mediagen::Append(pcm, mediagen::Silence(period * 0.2, kRate));
        break;
      default:
        mediagen::Append(pcm, mediagen::Tone(high * 0.75, period / 2, kRate, 0.4));
        mediagen::Append(pcm, mediagen::Tone(low, period / 2, kRate, 0.4));
        break;
    }
  }
  return pcm;
}

}  // namespace

Pcm AlarmSound(int entry) {
  const int n = ((entry % 72) + 72) % 72;
  const int v = n % 12;
  Pcm pcm;
  switch (n / 12) {
    case 0:
      pcm = Bell(v);
      break;
    case 1:
      pcm = Chime(v);
      break;
    case 2:
      pcm = Beeps(v);
      break;
    case 3:
      pcm = Ringer(v);
      break;
    case 4:
      pcm = Melody(v);
      break;
    default:
      pcm = Siren(v);
      break;
  }
  Fit(pcm);
  return pcm;
}

}  // namespace payload
