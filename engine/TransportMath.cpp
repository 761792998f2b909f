#include "engine/TransportMath.h"

#include <QByteArray>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

std::optional<int> PreviousChapterSecond(const QList<quint32> &chapterStartsMs, int p)
{
    // After a jump the position sits on the chapter's whole second for a
    // while: the chapter starting there holds it, so a second Previous goes
    // on to the chapter before instead of staying put.
    const int holder = ChapterAt(chapterStartsMs, p);
    if (holder < 1)
        return std::nullopt;
    return int(chapterStartsMs[holder - 1] / 1000);
}

std::optional<int> NextChapterSecond(const QList<quint32> &chapterStartsMs, int p)
{
    for (quint32 start : chapterStartsMs)
        if (qint64(start / 1000) > p)
            return int(start / 1000);
    return std::nullopt;
}

int ChapterAt(const QList<quint32> &chapterStartsMs, int p)
{
    int at = -1;
    while (at + 1 < chapterStartsMs.size() && qint64(chapterStartsMs[at + 1] / 1000) <= p)
        ++at;
    return at;
}

int SliderClickValue(int minimum, int maximum, int x, int w)
{
    if (w <= 0)
        return minimum;
    const double value = minimum + (double(x) / w) * (maximum - minimum);
    return std::clamp(int(value), minimum, maximum);
}

namespace {

constexpr int JumpSeconds = 60;

int JumpStart(int sliderValue, int positionSeconds, qint64 lengthSeconds)
{
    return lengthSeconds > 0 ? sliderValue : std::max(positionSeconds, 0);
}

} // namespace

int ForwardTarget(int sliderValue, int positionSeconds, qint64 lengthSeconds)
{
    const qint64 target = qint64(JumpStart(sliderValue, positionSeconds, lengthSeconds)) + JumpSeconds;
    if (lengthSeconds > 0 && target > lengthSeconds)
        return int(std::max<qint64>(lengthSeconds - 4, 0));
    return int(std::min<qint64>(target, std::numeric_limits<int>::max()));
}

int BackwardTarget(int sliderValue, int positionSeconds, qint64 lengthSeconds)
{
    return std::max(JumpStart(sliderValue, positionSeconds, lengthSeconds) - JumpSeconds, 0);
}

int PlaylistNeighbour(const QList<PLAY_LIST_INFO> &playlist, const QString &current, int step)
{
    if (playlist.size() < 2)
        return -1;
    const auto found = std::find_if(playlist.begin(), playlist.end(),
                                     [&current](const PLAY_LIST_INFO &e) { return e.path == current; });
    if (found == playlist.end())
        return -1;
    const int neighbour = int(found - playlist.begin()) + step;
    return neighbour >= 0 && neighbour < playlist.size() ? neighbour : -1;
}

std::optional<double> PositionAnswerSeconds(const QByteArray &line)
{
    const int equals = line.indexOf('=');
    if (equals < 0)
        return std::nullopt;
    bool ok = false;
    const double seconds = line.mid(equals + 1).trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds < 0 || seconds > 1e7)
        return std::nullopt;
    return seconds;
}

qint64 FollowEngineClock(qint64 clockMs, double engineSeconds, int &disagreeing)
{
    constexpr qint64 ToleranceMs = 1500;
    const qint64 engineMs = qint64(engineSeconds * 1000);
    if (std::llabs(engineMs - clockMs) <= ToleranceMs) {
        disagreeing = 0;
        return clockMs;
    }
    // One answer alone may still be from before a seek.
    if (++disagreeing < 2)
        return clockMs;
    disagreeing = 0;
    return engineMs;
}
