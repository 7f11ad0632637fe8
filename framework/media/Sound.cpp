#include "framework/media/Sound.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "framework/core/BackgroundWork.h"
#include "framework/core/ProgramName.h"
#include "framework/files/RegularFile.h"
#include "framework/media/SoundImpl.h"
#include "framework/media/Testing.h"
#include "framework/media/detail/DeviceCloser.h"
#include "framework/media/detail/MixerLibrary.h"
#include "framework/media/detail/Mp3Decoder.h"
#include "framework/media/detail/Openers.h"

namespace fw {
namespace {

enum class Audio { kClosed, kOpen, kResting, kUnavailable };

struct SoundSystem {
  Audio audio = Audio::kClosed;
  unsigned session = 0;
  // By mixer channel: the sound started there, kept alive while the mixer reads its chunk;
  // null once the channel is known to be free. A playback picks a free channel itself, so
  // starting one never walks the others.
  std::vector<std::shared_ptr<Sound::Impl>> channels;
  std::vector<int> freeChannels;
  int playing = 0;         // channels that hold a sound
  int pending = 0;         // playbacks waiting for their sound's decode
  // Sounds whose decode has not been handed back yet. The device stays open meanwhile: the
  // decode converts with SDL, which is not to be taken down under it.
  std::vector<std::shared_ptr<Sound::Impl>> decoding;
  QTimer* poll = nullptr;  // runs only while something plays
  QTimer* rest = nullptr;  // closes the device after a quiet spell
  DeviceCloser closer;     // kResting: the close may still be running on its own thread
  bool silent = false;     // no real device: the dummy driver stands in
  int frequency = 0, channelCount = 0;
  Uint16 format = 0;  // the mixer's format: chunks of the session are in it
};

// An open device mixes (silence) every few milliseconds on its own thread; a clock that
// speaks once a minute would keep a core busy for nothing. It rests after this long without
// a playback and the next sound opens it again. Idling open costs 1-3 ms CPU a second, a
// close and reopen 0.1-0.3 ms (tools/audio_rest): past 0.07-0.15 s closing is cheaper.
int gRestAfterMs = 200;

// Never destroyed: a sound in some static Ref may be released after every static of ours is
// gone, and static destruction must not race the mixer thread. ShutdownSound does the
// orderly teardown.
SoundSystem& System() {
  static SoundSystem* system = new SoundSystem;
  return *system;
}

int liveSounds = 0;
int64_t livePcmBytes = 0;  // the budget's use: what every live sound has reserved

// The decodes under way on workers, for ShutdownSound to wait for before it takes SDL down.
// A decode counts itself in only if not cancelled yet, under the same lock as the cancel.
std::mutex decodeMutex;
std::condition_variable decodesEnded;
int decodesRunning = 0;

// Set by the first sound that needs the device; every other call below comes after that.
const MixerLibrary* sdl = nullptr;

std::function<void(const std::string&)>& PlayObserver() {
  static auto* observer = new std::function<void(const std::string&)>;
  return *observer;
}

bool OpenMixer() {
  if (sdl->SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  if (sdl->Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0) {
    sdl->SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  return true;
}

// Without a sound card libasound prints half a dozen lines of its own before SDL gives up;
// the one line below says all the user needs. Looked up at run time: ALSA is SDL's business
// and may be absent.
void IgnoreAlsaDiagnostic(const char*, int, const char*, int, const char*, ...) {}

void SilenceAlsaDiagnostics() {
  static bool done = false;
  if (done) return;
  done = true;
  using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
  void* alsa = dlopen("libasound.so.2", RTLD_LAZY | RTLD_LOCAL);  // kept loaded for good
  if (!alsa) return;
  auto setHandler = reinterpret_cast<int (*)(Handler)>(dlsym(alsa, "snd_lib_error_set_handler"));
  if (setHandler) setHandler(&IgnoreAlsaDiagnostic);
}

// Opened on the first sound rather than at start-up: the device can take a while to come up.
bool EnsureAudio(SoundSystem& s) {
  if (s.audio == Audio::kOpen) return true;
  if (s.audio == Audio::kUnavailable) return false;
  if (!sdl) sdl = LoadMixerLibrary();
  if (!sdl) {
    s.audio = Audio::kUnavailable;
    return false;
  }
  const bool resting = s.audio == Audio::kResting;
  s.closer.Wait();
  // SDL would otherwise take over SIGINT and SIGTERM and turn them into events nobody reads.
  sdl->SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SilenceAlsaDiagnostics();
  sdl->Mix_Init(MIX_INIT_MP3);
  bool open = !s.silent && OpenMixer();
  if (!open) {
    // Said once: the device is opened again after every quiet spell.
    if (!s.silent)
      std::fprintf(stderr, "%s: no audio device (%s); running silently\n", ProgramName().c_str(),
                   sdl->SDL_GetError());
    s.silent = true;
    // The dummy driver consumes samples in real time, so playbacks still end on time and
    // IsPlaying still tells the truth.
    sdl->SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    open = OpenMixer();
    sdl->SDL_ResetHint(SDL_HINT_AUDIODRIVER);
  }
  if (!open) {
    sdl->Mix_Quit();
    s.audio = Audio::kUnavailable;
    return false;
  }
  s.audio = Audio::kOpen;
  int frequency = 0, channels = 0;
  Uint16 format = 0;
  sdl->Mix_QuerySpec(&frequency, &format, &channels);
  // The sounds decoded before the rest are still good if the mixer came back in their format.
  if (!resting || frequency != s.frequency || format != s.format || channels != s.channelCount)
    ++s.session;
  s.frequency = frequency;
  s.format = format;
  s.channelCount = channels;
  s.channels.clear();  // the mixer comes back with channels of its own choosing
  s.freeChannels.clear();
  return true;
}

void Rest(SoundSystem& s);

void ArmRest(SoundSystem& s) {
  if (!QCoreApplication::instance() || s.audio != Audio::kOpen) return;
  if (!s.rest) {
    s.rest = new QTimer;
    s.rest->setSingleShot(true);
    s.rest->setTimerType(Qt::CoarseTimer);
    s.rest->setInterval(gRestAfterMs);
    QObject::connect(s.rest, &QTimer::timeout, [] { Rest(System()); });
  }
  s.rest->start();
}

bool StillPlaying(const SoundSystem& s, int channel) {
  return sdl->Mix_Playing(channel) && sdl->Mix_GetChunk(channel) == s.channels[channel]->chunk;
}

void Release(SoundSystem& s, int channel) {
  s.channels[channel].reset();
  s.freeChannels.push_back(channel);
  --s.playing;
}

// Releases the playbacks that have ended. Main thread only; the mixer thread never frees.
void ReleaseEnded(SoundSystem& s) {
  if (s.audio != Audio::kOpen) {
    s.channels.clear();
    s.freeChannels.clear();
    s.playing = 0;
    return;
  }
  for (int channel = 0; channel < static_cast<int>(s.channels.size()); ++channel)
    if (s.channels[channel] && !StillPlaying(s, channel)) Release(s, channel);
}

void StopPollingWhenQuiet(SoundSystem& s) {
  if (s.playing == 0 && s.poll && s.poll->isActive()) {
    s.poll->stop();
    ArmRest(s);
  }
}

void Reap(SoundSystem& s) {
  ReleaseEnded(s);
  StopPollingWhenQuiet(s);
}

// A channel known to be free, or -1. When none is, the ended playbacks are released; when
// fewer than half the channels come free, there are twice as many, so that this walk over
// the channels is paid once for as many playbacks as it found room for.
int TakeFreeChannel(SoundSystem& s) {
  if (s.freeChannels.empty()) {
    ReleaseEnded(s);
    const int count = static_cast<int>(s.channels.size());
    if (s.freeChannels.size() * 2 < s.channels.size() || count == 0) {
      const int grown = std::max(8, count * 2);
      if (sdl->Mix_AllocateChannels(grown) == grown) {
        s.channels.resize(grown);
        for (int channel = grown - 1; channel >= count; --channel)
          s.freeChannels.push_back(channel);
      }
    }
  }
  if (s.freeChannels.empty()) return -1;
  const int channel = s.freeChannels.back();
  s.freeChannels.pop_back();
  return channel;
}

void Rest(SoundSystem& s) {
  Reap(s);
  if (s.audio != Audio::kOpen || s.playing != 0 || s.pending != 0 || !s.decoding.empty()) return;
  // Nothing plays and, until the close has ended, nothing here calls SDL: while resting the
  // sounds check the state and leave SDL alone, and what must call it waits for the close.
  s.audio = Audio::kResting;
  s.closer.Start([] {
    sdl->Mix_CloseAudio();
    sdl->SDL_QuitSubSystem(SDL_INIT_AUDIO);
  });
}

void EnsurePolling(SoundSystem& s) {
  // Without an application nothing drives timers; the next Play or count trims the list.
  if (!QCoreApplication::instance()) return;
  if (!s.poll) {
    s.poll = new QTimer;
    s.poll->setInterval(100);
    QObject::connect(s.poll, &QTimer::timeout, [] { Reap(System()); });
  }
  if (!s.poll->isActive()) s.poll->start();
}

}  // namespace

namespace {

// Starts one playback of a decoded sound; false when there is no device or channel for it, or
// the device came back in another format than the sound's.
bool StartPlayback(SoundSystem& s, const std::shared_ptr<Sound::Impl>& impl) {
  if (s.audio == Audio::kResting) EnsureAudio(s);
  if (s.audio != Audio::kOpen || impl->session != s.session) return false;
  if (!impl->chunk) {
    // The mixer plays the samples where they are and leaves them to us.
    impl->chunk = sdl->Mix_QuickLoad_RAW(impl->pcm.bytes.get(), Uint32(impl->pcm.size));
    if (!impl->chunk) return false;
  }
  if (s.rest) s.rest->stop();
  // Every channel busy: a playback is never dropped, there are just more channels.
  const int channel = TakeFreeChannel(s);
  if (channel < 0) return false;
  if (sdl->Mix_PlayChannelTimed(channel, impl->chunk, 0, -1) != channel) {
    s.freeChannels.push_back(channel);
    return false;
  }
  s.channels[channel] = impl;
  ++s.playing;
  EnsurePolling(s);
  if (PlayObserver()) PlayObserver()(impl->source);
  return true;
}

// What a worker decoded, back on the main thread: the playbacks asked for meanwhile start, and
// the budget keeps only what the samples take.
void HandBack(SoundSystem& s, const std::shared_ptr<Sound::Impl>& impl, DecodedPcm pcm) {
  std::erase(s.decoding, impl);
  const int pending = std::exchange(impl->pending, 0);
  s.pending -= pending;
  livePcmBytes -= int64_t(impl->reserved);
  if (pcm.size == 0 || impl->cancel->load()) {
    impl->state = Sound::Impl::State::kNone;
    impl->reserved = 0;
  } else {
    impl->state = Sound::Impl::State::kReady;
    impl->pcm = std::move(pcm);
    impl->reserved = impl->pcm.size;
    livePcmBytes += int64_t(impl->reserved);
    for (int i = 0; i < pending; ++i) StartPlayback(s, impl);
  }
  if (s.playing == 0) ArmRest(s);  // the rest waited for the decode
}

// The worker's part: the whole file read and decoded, unless cancelled first.
DecodedPcm Decode(const MixerLibrary& library, const FileBytes& bytes, const PcmFormat& format,
                  size_t maxBytes, const CancelFlag& cancel) {
  {
    std::lock_guard lock(decodeMutex);
    if (cancel->load()) return {};
    ++decodesRunning;
  }
  DecodedPcm pcm = DecodeMp3(library, bytes.View(), format, maxBytes, cancel.get());
  {
    std::lock_guard lock(decodeMutex);
    --decodesRunning;
  }
  decodesEnded.notify_all();
  return pcm;
}

}  // namespace

Sound::Impl::Impl(unsigned s, size_t r) : session(s), reserved(r) {
  ++liveSounds;
  livePcmBytes += int64_t(reserved);
}

Sound::Impl::~Impl() {
  --liveSounds;
  livePcmBytes -= int64_t(reserved);
  if (!chunk) return;
  // Mix_FreeChunk halts any channel still on this chunk and copes with a closed mixer, but
  // not with one being closed.
  System().closer.Wait();
  sdl->Mix_FreeChunk(chunk);
}

int LiveSoundsForTesting() { return liveSounds; }
int64_t LiveSoundBytesForTesting() { return livePcmBytes; }
bool SoundPollingForTesting() { return System().poll && System().poll->isActive(); }
bool AudioOpenForTesting() { return System().audio == Audio::kOpen; }
int SetAudioRestForTesting(int milliseconds) {
  const int before = gRestAfterMs;
  gRestAfterMs = milliseconds;
  if (System().rest) System().rest->setInterval(milliseconds);
  return before;
}

Sound::Sound(std::shared_ptr<Impl> impl) : impl_(std::move(impl)) {
  if (!impl_) throw NilObjectException("sound without samples");
}

Sound::~Sound() {
  // Nobody can ask this sound for a playback any more: a decode that none waits for would
  // only hold its share of the budget.
  if (impl_->state == Impl::State::kDecoding && impl_->pending == 0) impl_->cancel->store(true);
}

void Sound::Play() {
  SoundSystem& s = System();
  switch (impl_->state) {
    case Impl::State::kDecoding:
      ++impl_->pending;
      ++s.pending;
      return;
    case Impl::State::kReady:
      StartPlayback(s, impl_);
      return;
    case Impl::State::kNone:
      return;
  }
}

void Sound::Stop() {
  SoundSystem& s = System();
  s.pending -= std::exchange(impl_->pending, 0);
  if (s.audio != Audio::kOpen) return;
  for (int channel = 0; channel < static_cast<int>(s.channels.size()); ++channel) {
    if (s.channels[channel] != impl_) continue;
    if (sdl->Mix_GetChunk(channel) == impl_->chunk) sdl->Mix_HaltChannel(channel);
    Release(s, channel);
  }
  StopPollingWhenQuiet(s);
}

bool Sound::IsPlaying() const {
  if (impl_->pending > 0) return true;
  const SoundSystem& s = System();
  if (s.audio != Audio::kOpen) return false;
  for (int channel = 0; channel < static_cast<int>(s.channels.size()); ++channel)
    if (s.channels[channel] == impl_ && StillPlaying(s, channel)) return true;
  return false;
}

int ActiveSoundPlaybacks() {
  SoundSystem& s = System();
  Reap(s);
  return s.playing + s.pending;
}

void ShutdownSound() {
  SoundSystem& s = System();
  {
    // No decode may be converting with SDL while it is taken down. Their sounds play nothing.
    std::unique_lock lock(decodeMutex);
    for (const auto& impl : s.decoding) impl->cancel->store(true);
    decodesEnded.wait(lock, [] { return decodesRunning == 0; });
  }
  for (const auto& impl : s.decoding) impl->pending = 0;
  s.pending = 0;
  s.closer.Wait();
  delete s.poll;
  s.poll = nullptr;
  delete s.rest;
  s.rest = nullptr;
  if (s.audio == Audio::kOpen) sdl->Mix_HaltChannel(-1);
  // Chunks that only the list held go now, while the mixer still knows its channels.
  std::vector<std::shared_ptr<Sound::Impl>> ended;
  ended.swap(s.channels);
  ended.clear();
  s.freeChannels.clear();
  s.playing = 0;
  if (s.audio == Audio::kOpen) {
    sdl->Mix_CloseAudio();
    sdl->Mix_Quit();
    sdl->SDL_QuitSubSystem(SDL_INIT_AUDIO);
  } else if (s.audio == Audio::kResting) {
    sdl->Mix_Quit();
  }
  s.audio = Audio::kClosed;  // a later sound opens the device again
}

// Decoding a long voice takes the best part of a second: the main thread only looks at the
// file's first bytes, opens the device (whose format the decode is for) and reserves the
// budget; a worker reads and decodes the rest.
Ref<Sound> OpenSoundFile(const String& path) {
  // Read whole and once, here: what is checked is what the worker decodes. A voice file is
  // tens or hundreds of kilobytes; its decoded samples are what take the time.
  std::optional<FileBytes> read = ReadRegularFileBytes(path, kMaxSoundBytes);
  if (!read || !LooksLikeMp3(read->View())) return nullptr;
  auto bytes = std::make_shared<const FileBytes>(std::move(*read));
  SoundSystem& s = System();
  if (!EnsureAudio(s)) return nullptr;
  const int64_t left = kMaxLiveSoundBytes - livePcmBytes;
  if (left <= 0) return nullptr;
  auto impl = std::make_shared<Sound::Impl>(s.session, size_t(std::min(kMaxSoundBytes, left)));
  impl->source = path;
  s.decoding.push_back(impl);
  auto decoded = std::make_shared<DecodedPcm>();
  RunInBackground(
      [library = sdl, bytes, format = PcmFormat{s.frequency, s.format, s.channelCount},
       maxBytes = impl->reserved, cancel = impl->cancel,
       decoded] { *decoded = Decode(*library, *bytes, format, maxBytes, cancel); },
      // Holds the sound until then: one released with playbacks asked for still plays them.
      [impl, decoded] { HandBack(System(), impl, std::move(*decoded)); }, impl->cancel);
  return New<Sound>(std::move(impl));
}

void SetPlayObserverForTesting(std::function<void(const std::string& file)> observer) {
  PlayObserver() = std::move(observer);
}

}  // namespace fw
