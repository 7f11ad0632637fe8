#pragma once
// The payload's pictures. Each is a pure function of its arguments, so the payload comes out
// the same on every run and any thread may draw any picture.
#include <QColor>
#include <QImage>
#include <QSize>
#include <QStringList>

#include "make_payload/Tables.h"

namespace payload {

constexpr int kFaceSide = 144;
constexpr int kSignWidth = 640;
constexpr int kSignHeight = 960;

// The font families the pictures are drawn with; empty when all are installed.
QStringList MissingFonts();

// Each voice actor's own colour, spread round the colour wheel.
QColor ActorColour(int actorIndex);

// The backdrop of one minute of the day (0 to 1439): its time, large, over a colour that
// moves round the colour wheel once a day.
QImage MinutePicture(int minuteOfDay, QSize size);
// A drawn face in the actor's colour, kFaceSide square.
QImage FacePicture(const Actor& actor, int actorIndex);
// The actor's name as a hand-written autograph on paper, kSignWidth x kSignHeight.
QImage SignPicture(const Actor& actor, int actorIndex);

}  // namespace payload
