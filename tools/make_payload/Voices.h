#pragma once
// Spoken time calls. espeak-ng speaks each word once; a minute's call is those words joined.
// espeak-ng's Japanese voice reads kanji as foreign letters, so every word is written in kana.
#include <QString>
#include <map>
#include <string>
#include <vector>

#include "mediagen/MediaGen.h"

namespace payload {

constexpr int kVoiceRate = 22050;

using SpeechBank = std::map<QString, mediagen::Pcm>;

// Speaks each phrase with espeak-ng, up to `jobs` at once, into `bank`: trimmed of its quiet
// lead-in and tail, at kVoiceRate. False with a message for the user when espeak-ng is
// missing, fails, or says nothing (no Japanese voice).
bool SpeakAll(const std::vector<QString>& phrases, int jobs, SpeechBank& bank, std::string& error);

// The words of a minute: its hour ("じゅうにじ"), its minute ("さんぷん", or "ちょーど" on the
// hour) and the polite ending.
QString HourWord(int hour);
QString MinuteWord(int minute);
// The line a voice actor says before the time at a ten-minute mark; it depends on the
// time of day and rotates through a few per part of the day.
QString SerifLine(int minuteOfDay);

// Every phrase the calls below need, each once.
std::vector<QString> AllPhrases();

// "X時Y分です", spoken.
mediagen::Pcm MinuteCall(const SpeechBank& bank, int minuteOfDay);
// The serif line, a pause, then "いま X時Y分です".
mediagen::Pcm SerifCall(const SpeechBank& bank, int minuteOfDay);

}  // namespace payload
