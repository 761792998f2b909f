#pragma once

#include <QImage>
#include <QString>

// The disc page's picture from the file a disc's metadata names: decoded,
// and at most as large as a 4K screen (a larger picture is decoded smaller,
// keeping its shape), so that a picture of huge dimensions costs neither
// seconds nor hundreds of megabytes. Null when the path is empty or the file
// is no picture. Safe on any thread.
QImage LoadDiscPicture(const QString& path);
