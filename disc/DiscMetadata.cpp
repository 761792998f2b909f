#include "disc/DiscMetadata.h"

#include "disc/DirectoryListing.h"
#include "disc/RawFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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
    qint64 budget = kMetadataLimit;
    while (budget > 0 && !device.atEnd()) {
        QByteArray line = device.readLine(qMin(kLineLimit, budget + 1));
        budget -= line.size();
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
            // The reference ends at its closing quote: real discs give a size
            // attribute after it, so the tag's end is no mark.
            Keep(thumbnail, ValueAfter(line, thumbnailAt + kThumbnail.size(), "\""));
    }
}

int ReadDiscMetadata(const QString& path, QByteArray& name, QByteArray& thumbnail)
{
    // A FIFO would hold the open until something writes to it.
    if (!IsRegularFile(path))
        return 0;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly | QIODevice::Text))
        ReadDiscMetadata(file, name, thumbnail);
    return 0;
}

QString DiscThumbnailPath(const QString& metadataFolder, const QString& reference)
{
    if (reference.isEmpty() || QDir::isAbsolutePath(reference))
        return QString();
    const QString relative = QDir::cleanPath(reference);
    if (relative == QLatin1String("..") || relative.startsWith(QLatin1String("../")))
        return QString();
    // Both resolved through every link: a link that leads out shows up as a
    // target outside the folder; a missing file or a dangling link as no target.
    const QString folder = QFileInfo(metadataFolder).canonicalFilePath();
    const QFileInfo target(QFileInfo(ChildPath(metadataFolder, relative)).canonicalFilePath());
    if (folder.isEmpty() || target.filePath().isEmpty() ||
        !target.filePath().startsWith(ChildPath(folder, QString())) || !target.isFile())
        return QString();
    return target.filePath();
}
