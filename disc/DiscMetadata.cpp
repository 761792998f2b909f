#include "disc/DiscMetadata.h"

#include <QFile>

namespace {

constexpr qint64 kLineLimit = 2048;  // at most 2,047 bytes a piece; longer lines come in pieces
constexpr int kValueLimit = 256;

// The text of line after opening up to closing, or to the end of the line.
QByteArray ValueAfter(const QByteArray& line, int opening, const QByteArray& closing)
{
    const int end = line.indexOf(closing, opening);
    return end < 0 ? line.mid(opening) : line.mid(opening, end - opening);
}

void Keep(QByteArray& target, const QByteArray& value)
{
    if (value.size() < kValueLimit)
        target = value;
}

} // namespace

void ReadDiscMetadata(QIODevice& device, QByteArray& name, QByteArray& thumbnail)
{
    static const QByteArray kName("<di:name>");
    static const QByteArray kThumbnail("<di:thumbnail href=\"");
    while (!device.atEnd()) {
        QByteArray line = device.readLine(kLineLimit);
        if (line.isEmpty())
            break;
        // The line break is no part of a value that runs to the end of the line.
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        const int nameAt = line.indexOf(kName);
        if (nameAt >= 0) {
            Keep(name, ValueAfter(line, nameAt + kName.size(), "</"));
            continue;
        }
        const int thumbnailAt = line.indexOf(kThumbnail);
        if (thumbnailAt >= 0)
            Keep(thumbnail, ValueAfter(line, thumbnailAt + kThumbnail.size(), "\" />"));
    }
}

int ReadDiscMetadata(const QString& path, QByteArray& name, QByteArray& thumbnail)
{
    QFile file(path);
    if (file.open(QIODevice::ReadOnly | QIODevice::Text))
        ReadDiscMetadata(file, name, thumbnail);
    return 0;
}
