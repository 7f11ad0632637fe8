#pragma once
// The two shipped tables the payload is made from: the voice actors (their picture keys name
// the face and signature pictures) and the alarm entries (their file names name the sounds).
#include <QByteArray>
#include <QString>
#include <string>
#include <vector>

namespace payload {

struct Actor {
  QString name;     // display name, as shown beside the face
  std::string key;  // names seiyuicon_<key>.jpg and sign_<key>.jpg
};

struct AlarmEntry {
  QString label;
  std::string file;  // the sound's file name inside the payload folder
};

// Percent-decodes the whole text as UTF-8, then cuts it into CR LF lines of tab fields.
// The empty piece after the closing CR LF is dropped.
std::vector<std::vector<QString>> SplitEncodedTable(const QByteArray& raw);

// Both return false with a message for the user when the table is missing, unusable or
// names a file outside the payload folder.
bool LoadActors(const std::string& resourcesDir, std::vector<Actor>& actors, std::string& error);
bool LoadAlarms(const std::string& resourcesDir, std::vector<AlarmEntry>& alarms,
                std::string& error);

}  // namespace payload
