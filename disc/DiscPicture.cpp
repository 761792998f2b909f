#include "disc/DiscPicture.h"

#include <QImageReader>

QImage LoadDiscPicture(const QString& path)
{
    if (path.isEmpty())
        return QImage();
    static constexpr QSize Largest(3840, 2160);
    QImageReader reader(path);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > Largest.width() || size.height() > Largest.height()))
        reader.setScaledSize(size.scaled(Largest, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    return reader.read();
}
