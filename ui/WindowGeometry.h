#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

// Where the inside of a window goes so that the whole window, its frame
// (the margins around the inside) included, lies on the available area:
// the wanted inside size, made smaller where it does not fit, kept where the
// window is when it fits there, moved onto the area otherwise.
QRect InsideOnScreen(const QRect &available, const QMargins &frame, const QSize &wanted,
                     const QPoint &insideTopLeft);
