#include "framework/media/detail/Mp3Decoder.h"

#include <algorithm>

#include "framework/media/detail/MixerLibrary.h"
#include "framework/media/detail/Mpg123Library.h"

namespace fw {
namespace {

constexpr long kMpegRates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
constexpr size_t kFeedBytes = 16 * 1024;
constexpr size_t kDecodeBytes = 64 * 1024;

// Blocks whose pages are touched only as they are written, reserved at the most they may hold.
std::unique_ptr<uint8_t, FreeBytes> Reserve(size_t bytes) {
  return std::unique_ptr<uint8_t, FreeBytes>(static_cast<uint8_t*>(std::malloc(bytes)));
}

// The decoder's PCM at its own rate and channels, in the mixer's format at the end. A stream
// in another format is kept as decoded (a quarter of the size, or less, for the usual mono
// at 22.05 kHz) and converted by SDL once it has ended (libmpg123's own resampler repeats and
// drops samples), so a stream that passes the bound is refused having taken that much less.
class PcmSink {
 public:
  PcmSink(const MixerLibrary& sdl, const PcmFormat& to, size_t maxBytes)
      : sdl_(sdl), to_(to), max_(maxBytes) {}

  // A stream changes format between frames (joined files): what came before is converted.
  bool Start(long rate, int channels) {
    if (!End()) return false;
    rate_ = int(rate), channels_ = channels;
    direct_ = rate_ == to_.frequency && channels_ == to_.channels && to_.format == AUDIO_S16SYS;
    growth_ = double(to_.frequency) * to_.channels * SDL_AUDIO_BITSIZE(to_.format) /
              (double(rate_) * channels_ * 16);
    if (direct_) return Grow(max_ - used_);
    kept_ = Reserve(size_t(double(max_ - used_) / growth_) + kSlack);
    return kept_ != nullptr;
  }

  bool Add(const uint8_t* pcm, size_t size) {
    if (!rate_) return false;
    if (direct_) return Append(out_.get(), used_, capacity_, pcm, size);
    return double(keptUsed_ + size) * growth_ <= double(max_ - used_) &&
           Append(kept_.get(), keptUsed_, size_t(double(max_ - used_) / growth_) + kSlack, pcm,
                  size);
  }

  DecodedPcm Finish() {
    if (!End() || used_ == 0) return {};
    // Shrinking a block this size remaps it in place.
    if (auto* fitted = static_cast<uint8_t*>(std::realloc(out_.get(), used_))) {
      (void)out_.release();
      out_.reset(fitted);
    }
    return {std::move(out_), used_};
  }

 private:
  static constexpr size_t kSlack = 4096;

  static bool Append(uint8_t* to, size_t& used, size_t capacity, const uint8_t* pcm, size_t size) {
    if (size > capacity - used) return false;
    std::copy(pcm, pcm + size, to + used);
    used += size;
    return true;
  }

  // Converts what was kept, a piece at a time: SDL's converter holds a whole piece twice.
  bool End() {
    if (direct_ || !kept_) return true;
    // Reserved only now: a stream refused while it was kept never touched the bound's worth.
    bool ok = Grow(std::min(max_ - used_, size_t(double(keptUsed_) * growth_) + kSlack));
    SDL_AudioStream* stream = sdl_.SDL_NewAudioStream(
        AUDIO_S16SYS, Uint8(channels_), rate_, to_.format, Uint8(to_.channels), to_.frequency);
    ok = ok && stream != nullptr;
    for (size_t at = 0; ok && at < keptUsed_; at += kFeedBytes) {
      const int piece = int(std::min(kFeedBytes, keptUsed_ - at));
      ok = sdl_.SDL_AudioStreamPut(stream, kept_.get() + at, piece) == 0 && Drain(stream);
    }
    ok = ok && sdl_.SDL_AudioStreamFlush(stream) == 0 && Drain(stream);
    if (stream) sdl_.SDL_FreeAudioStream(stream);
    kept_.reset();
    keptUsed_ = 0;
    return ok;
  }

  // Room for `extra` more bytes out. On a block this size a move is a remapping, not a copy.
  bool Grow(size_t extra) {
    if (capacity_ - used_ >= extra) return true;
    auto* grown = static_cast<uint8_t*>(std::realloc(out_.get(), used_ + extra));
    if (!grown) return false;
    (void)out_.release();
    out_.reset(grown);
    capacity_ = used_ + extra;
    return true;
  }

  bool Drain(SDL_AudioStream* stream) {
    const int available = sdl_.SDL_AudioStreamAvailable(stream);
    if (available < 0 || size_t(available) > max_ - used_) return false;
    if (size_t(available) > capacity_ - used_ && !Grow(size_t(available))) return false;
    const int got = sdl_.SDL_AudioStreamGet(stream, out_.get() + used_, available);
    if (got < 0) return false;
    used_ += size_t(got);
    return true;
  }

  const MixerLibrary& sdl_;
  const PcmFormat to_;
  const size_t max_;
  std::unique_ptr<uint8_t, FreeBytes> out_, kept_;
  size_t used_ = 0, capacity_ = 0, keptUsed_ = 0;
  int rate_ = 0, channels_ = 0;
  bool direct_ = false;
  double growth_ = 1;  // bytes out for each byte decoded
};

struct Mpg123Handle {
  const Mpg123Library& mpg;
  mpg123_handle* handle;
  ~Mpg123Handle() {
    if (handle) mpg.mpg123_delete(handle);
  }
};

// Any MPEG rate, mono or stereo, as 16-bit samples; never resampled here, never a line on
// stderr (a hostile file made the decoder print thousands).
mpg123_handle* OpenFeed(const Mpg123Library& mpg) {
  mpg123_handle* h = mpg.mpg123_new(nullptr, nullptr);
  if (!h) return nullptr;
  mpg.mpg123_param(h, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
  mpg.mpg123_param(h, MPG123_REMOVE_FLAGS, MPG123_AUTO_RESAMPLE, 0);
  mpg.mpg123_format_none(h);
  for (long rate : kMpegRates)
    mpg.mpg123_format(h, rate, MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
  if (mpg.mpg123_open_feed(h) != MPG123_OK) {
    mpg.mpg123_delete(h);
    return nullptr;
  }
  return h;
}

}  // namespace

bool LooksLikeMp3(std::string_view bytes) {
  const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
  if (bytes.size() < 4) return false;
  if (b[0] == 'I' && b[1] == 'D' && b[2] == '3') return true;
  return b[0] == 0xFF && (b[1] & 0xE6) == 0xE2;  // frame sync, layer III
}

DecodedPcm DecodeMp3(const MixerLibrary& sdl, std::string_view bytes, const PcmFormat& format,
                     size_t maxBytes, const std::atomic<bool>* cancel) {
  const Mpg123Library* mpg = LoadMpg123Library();
  if (!mpg) return {};
  const Mpg123Handle decoder{*mpg, OpenFeed(*mpg)};
  if (!decoder.handle) return {};
  PcmSink sink(sdl, format, maxBytes);
  auto block = std::make_unique<uint8_t[]>(kDecodeBytes);
  size_t fed = 0;
  for (;;) {
    if (cancel && cancel->load(std::memory_order_relaxed)) return {};
    size_t got = 0;
    const int status = mpg->mpg123_read(decoder.handle, block.get(), kDecodeBytes, &got);
    if (got > 0 && !sink.Add(block.get(), got)) return {};
    if (status == MPG123_NEW_FORMAT) {
      long rate = 0;
      int channels = 0, encoding = 0;
      if (mpg->mpg123_getformat(decoder.handle, &rate, &channels, &encoding) != MPG123_OK ||
          !sink.Start(rate, channels))
        return {};
    } else if (status == MPG123_NEED_MORE && fed < bytes.size()) {
      const size_t piece = std::min(kFeedBytes, bytes.size() - fed);
      if (mpg->mpg123_feed(decoder.handle,
                           reinterpret_cast<const unsigned char*>(bytes.data()) + fed,
                           piece) != MPG123_OK)
        break;
      fed += piece;
    } else if (status != MPG123_OK) {
      break;  // the end of the bytes or a fault the decoder cannot step over: the frames so far
              // play
    }
  }
  return sink.Finish();
}

}  // namespace fw
