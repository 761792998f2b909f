#pragma once

#include "ui/PlayListInfo.h"

#include <QByteArray>
#include <QList>

#include <optional>

// The arithmetic behind the transport controls, free of widgets.

// The start (in seconds) of the chapter before the one holding position p
// (a chapter starting at p holds it); none when there is no such chapter.
std::optional<int> PreviousChapterSecond(const QList<quint32> &chapterStartsMs, int p);
// The start (in seconds) of the first chapter after position p.
std::optional<int> NextChapterSecond(const QList<quint32> &chapterStartsMs, int p);

// Index of the chapter holding position p (the last one starting at or
// before it); -1 when there is none.
int ChapterAt(const QList<quint32> &chapterStartsMs, int p);

// The slider value under a click at x of a slider w pixels wide.
int SliderClickValue(int minimum, int maximum, int x, int w);

// The targets of the 60-second jumps. With a known length they start from
// the seek slider's value, and a jump past the end lands 4 seconds before
// it. An unknown length (0) is no length of zero: the slider then shows
// nothing, so the jumps start from the position and forward has no end.
int ForwardTarget(int sliderValue, int positionSeconds, qint64 lengthSeconds);
int BackwardTarget(int sliderValue, int positionSeconds, qint64 lengthSeconds);

// The seconds of an "ANS_TIME_POSITION=..." answer; none when it holds no
// number.
std::optional<double> PositionAnswerSeconds(const QByteArray &line);

// The play clock after an engine position answer. The clock keeps its own
// count while the two agree within a second and a half; when two answers in
// a row disagree (the engine was held up, a seek landed elsewhere) it takes
// the engine's. disagreeing counts those answers between calls.
qint64 FollowEngineClock(qint64 clockMs, double engineSeconds, int &disagreeing);

// Index of the playlist entry step places from the one whose path is current;
// -1 when there is none (no wrap-around).
int PlaylistNeighbour(const QList<PLAY_LIST_INFO> &playlist, const QString &current, int step);
