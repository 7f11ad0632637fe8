#pragma once
// Internal to the framework: what the bytes of an MP3 file say before any of it is decoded.
#include <string>

namespace fw {

// An ID3v2 tag or an MPEG Layer III frame header at the start.
bool LooksLikeMp3(const std::string& bytes);

// How long the MPEG audio in the bytes plays, in seconds, counted over every frame header
// the decoder could take (Layers I to III, free format included; an ID3v2 tag skipped).
// Never less than the decoder will produce.
double MpegAudioSeconds(const std::string& bytes);

}  // namespace fw
