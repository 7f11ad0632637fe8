#pragma once
// The alarm sounds: six kinds of twelve, matching the labels in Alarm.txt ("ベル", "チャイム",
// "ピピピ", "目覚まし", "メロディ", "サイレン", entries 1-12, 13-24 and so on).
#include "mediagen/MediaGen.h"

namespace payload {

constexpr double kAlarmMinSeconds = 2.0;
constexpr double kAlarmMaxSeconds = 4.0;

// Entry i (counted from 0) of the alarm table; entries past 72 repeat the pattern.
mediagen::Pcm AlarmSound(int entry);

}  // namespace payload
