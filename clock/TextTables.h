#pragma once
// The four text tables shipped in Resources/: each read at most once per process, whole,
// and kept; a missing or unreadable file reads as "" and is never retried.
#include "framework/core/Strings.h"

namespace clockcore {

fw::String ActMain();
fw::String ActTime();
fw::String ActSerif();
fw::String Alarm();

// Empties the four cached texts (at exit).
void ReleaseTableTexts();

}  // namespace clockcore
