#include "engine/TransportMath.h"

#include <algorithm>

std::optional<int> PreviousChapterSecond(const QList<quint32> &chapterStartsMs, int p)
{
    int below = 0;
    for (quint32 start : chapterStartsMs) {
        if (qint64(start / 1000) >= p)
            break;
        ++below;
    }
    if (below < 2)
        return std::nullopt;
    const int target = int(chapterStartsMs[below - 2] / 1000);
    if (target == p)
        return std::nullopt;
    return target;
}

std::optional<int> NextChapterSecond(const QList<quint32> &chapterStartsMs, int p)
{
    for (quint32 start : chapterStartsMs)
        if (qint64(start / 1000) > p)
            return int(start / 1000);
    return std::nullopt;
}

int SliderClickValue(int minimum, int maximum, int x, int w)
{
    if (w <= 0)
        return minimum;
    const double value = minimum + (double(x) / w) * (maximum - minimum);
    return std::clamp(int(value), minimum, maximum);
}

int ForwardTarget(int sliderValue, qint64 lengthSeconds)
{
    const qint64 target = qint64(sliderValue) + 60;
    if (target > lengthSeconds)
        return int(std::max<qint64>(lengthSeconds - 4, 0));
    return int(target);
}

int BackwardTarget(int sliderValue)
{
    return std::max(sliderValue - 60, 0);
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
