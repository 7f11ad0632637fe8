#include "make_payload/Voices.h"

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <deque>
#include <memory>
#include <set>

namespace payload {
namespace {

const QString kEspeak = QStringLiteral("espeak-ng");
const QString kPolite = QStringLiteral("です");
const QString kNow = QStringLiteral("いま");

constexpr std::array<const char*, 24> kHours = {
    "れいじ",     "いちじ",         "にじ",         "さんじ",         "よじ",
    "ごじ",       "ろくじ",         "しちじ",       "はちじ",         "くじ",
    "じゅうじ",   "じゅういちじ",   "じゅうにじ",   "じゅうさんじ",   "じゅうよじ",
    "じゅうごじ", "じゅうろくじ",   "じゅうしちじ", "じゅうはちじ",   "じゅうくじ",
    "にじゅうじ", "にじゅういちじ", "にじゅうにじ", "にじゅうさんじ",
};
// Counted minutes change their sound with the number: いっぷん, にふん, さんぷん...
constexpr std::array<const char*, 10> kOnes = {
    "",       "いっぷん", "にふん",   "さんぷん", "よんぷん",
    "ごふん", "ろっぷん", "ななふん", "はっぷん", "きゅうふん",
};
constexpr std::array<const char*, 6> kTens = {"",           "じゅう",     "にじゅう",
                                              "さんじゅう", "よんじゅう", "ごじゅう"};

// Three lines for each part of the day, said in turn at the ten-minute marks.
struct DayPart {
  int fromHour;  // until the next part's
  std::array<const char*, 3> lines;
};
constexpr std::array<DayPart, 4> kDayParts = {{
    {5, {"おはようございます", "あさですよ", "きょうも いちにち がんばろう"}},
    {10, {"こんにちわ", "ひとやすみ しませんか", "おしらせします"}},
    {17, {"こんばんわ", "きょうも おつかれさまです", "ゆうごはんは なんですか"}},
    {21, {"よるも ふけてきました", "そろそろ やすみましょう", "よふかしは ほどほどに"}},
}};

// Espeak leaves each word with a hiss or a breath at its ends; below this it counts as quiet.
constexpr int kQuiet = 200;
// A minute whose schedule names two voice actors starts its call twice at once, and the two
// add up sample for sample: each call peaks near -8.5 dBFS so that the pair stays clear of
// full scale.
constexpr double kPeak = 0.375;

void AddSilence(mediagen::Pcm& to, double seconds) {
  mediagen::Append(to, mediagen::Silence(seconds, kVoiceRate));
}

void AddWord(mediagen::Pcm& to, const SpeechBank& bank, const QString& word) {
  const auto it = bank.find(word);
  if (it != bank.end()) mediagen::Append(to, it->second);
}

// Hour, minute and the polite ending, with the short breaks of a spoken time.
void AddTime(mediagen::Pcm& to, const SpeechBank& bank, int minuteOfDay) {
  AddWord(to, bank, HourWord(minuteOfDay / 60));
  AddSilence(to, 0.05);
  AddWord(to, bank, MinuteWord(minuteOfDay % 60));
  AddSilence(to, 0.03);
  AddWord(to, bank, kPolite);
}

}  // namespace

QString HourWord(int hour) { return QString::fromUtf8(kHours[size_t(((hour % 24) + 24) % 24)]); }

QString MinuteWord(int minute) {
  minute = ((minute % 60) + 60) % 60;
  if (minute == 0) return QStringLiteral("ちょーど");
  const int tens = minute / 10, ones = minute % 10;
  if (ones == 0)
    return QString::fromUtf8(kTens[size_t(tens)]).chopped(1) + QStringLiteral("っぷん");
  return QString::fromUtf8(kTens[size_t(tens)]) + QString::fromUtf8(kOnes[size_t(ones)]);
}

QString SerifLine(int minuteOfDay) {
  const int hour = minuteOfDay / 60;
  const DayPart* part = &kDayParts.back();  // the night runs past midnight
  for (const DayPart& p : kDayParts)
    if (hour >= p.fromHour) part = &p;
  return QString::fromUtf8(part->lines[size_t(minuteOfDay / 10) % part->lines.size()]);
}

std::vector<QString> AllPhrases() {
  std::set<QString> phrases = {kPolite, kNow};
  for (int h = 0; h < 24; ++h) phrases.insert(HourWord(h));
  for (int m = 0; m < 60; ++m) phrases.insert(MinuteWord(m));
  for (int mark = 0; mark < 24 * 60; mark += 10) phrases.insert(SerifLine(mark));
  return {phrases.begin(), phrases.end()};
}

bool SpeakAll(const std::vector<QString>& phrases, int jobs, SpeechBank& bank, std::string& error) {
  // espeak-ng writes each phrase to a file of its own, so no process waits on a full pipe
  // while another is being read.
  QTemporaryDir scratch;
  if (!scratch.isValid()) {
    error = "cannot make a scratch folder: " + scratch.errorString().toStdString();
    return false;
  }
  struct Running {
    std::unique_ptr<QProcess> process;
    size_t index;
    QString wav;
  };
  std::deque<Running> running;
  size_t next = 0;
  auto fail = [&](const std::string& message) {
    error = message;
    for (Running& r : running) r.process->kill();
    for (Running& r : running) r.process->waitForFinished(5000);
    return false;
  };
  while (next < phrases.size() || !running.empty()) {
    while (next < phrases.size() && running.size() < size_t(std::max(1, jobs))) {
      Running r{std::make_unique<QProcess>(), next,
                scratch.filePath(QStringLiteral("%1.wav").arg(next))};
      // -b 1: the text is UTF-8 whatever the locale says.
      r.process->start(kEspeak, {QStringLiteral("-v"), QStringLiteral("ja"), QStringLiteral("-s"),
                                 QStringLiteral("150"), QStringLiteral("-b"), QStringLiteral("1"),
                                 QStringLiteral("-w"), r.wav, phrases[next]});
      ++next;
      const bool started = r.process->waitForStarted(10000);
      const std::string why = r.process->errorString().toStdString();
      running.push_back(std::move(r));
      if (!started)
        return fail("espeak-ng does not start (" + why +
                    "); install the Debian package espeak-ng, or pass --no-voices");
    }
    Running r = std::move(running.front());
    running.pop_front();
    const std::string phrase = phrases[r.index].toStdString();
    QProcess& p = *r.process;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
      return fail("espeak-ng failed on \"" + phrase +
                  "\": " + p.readAllStandardError().trimmed().toStdString());
    mediagen::Pcm pcm;
    if (!mediagen::ReadWav(r.wav.toStdString(), pcm))
      return fail("espeak-ng gave no sound for \"" + phrase +
                  "\": " + p.readAllStandardError().trimmed().toStdString());
    mediagen::Pcm& spoken = bank[phrases[r.index]];
    spoken = mediagen::Resample(pcm, kVoiceRate);
    mediagen::TrimSilence(spoken, kQuiet, 0.01);
    if (spoken.samples.empty())
      return fail("espeak-ng spoke only silence for \"" + phrase +
                  "\" (is its Japanese voice installed?)");
  }
  return true;
}

mediagen::Pcm MinuteCall(const SpeechBank& bank, int minuteOfDay) {
  mediagen::Pcm call;
  call.sampleRate = kVoiceRate;
  AddSilence(call, 0.12);
  AddTime(call, bank, minuteOfDay);
  AddSilence(call, 0.25);
  mediagen::Normalize(call, kPeak);
  return call;
}

mediagen::Pcm SerifCall(const SpeechBank& bank, int minuteOfDay) {
  mediagen::Pcm call;
  call.sampleRate = kVoiceRate;
  AddSilence(call, 0.12);
  AddWord(call, bank, SerifLine(minuteOfDay));
  AddSilence(call, 0.35);
  AddWord(call, bank, kNow);
  AddSilence(call, 0.06);
  AddTime(call, bank, minuteOfDay);
  AddSilence(call, 0.25);
  mediagen::Normalize(call, kPeak);
  return call;
}

}  // namespace payload
