#include "ui/WindowGeometry.h"

#include <algorithm>

QRect InsideOnScreen(const QRect &available, const QMargins &frame, const QSize &wanted,
                     const QPoint &insideTopLeft)
{
    const QRect room = available.marginsRemoved(frame);
    const QSize size(std::max(1, std::min(wanted.width(), room.width())),
                     std::max(1, std::min(wanted.height(), room.height())));
    const int x = std::clamp(insideTopLeft.x(), room.left(), room.left() + room.width() - size.width());
    const int y = std::clamp(insideTopLeft.y(), room.top(), room.top() + room.height() - size.height());
    return QRect(QPoint(x, y), size);
}
