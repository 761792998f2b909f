#include "disc/DiscPicture.h"

#include "disc/BlurayTitleList.h"
#include "disc/DiscFiles.h"

#include <QBuffer>
#include <QImageReader>

namespace {

// A thumbnail is a few hundred kilobytes; more is no thumbnail.
constexpr qint64 kPictureFileLimit = 16 * 1024 * 1024;

QImage Decode(QImageReader& reader)
{
    static constexpr QSize Largest(3840, 2160);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > Largest.width() || size.height() > Largest.height()))
        reader.setScaledSize(size.scaled(Largest, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    return reader.read();
}

} // namespace

QImage LoadDiscPicture(const QString& path)
{
    if (path.isEmpty())
        return QImage();
    QImageReader reader(path);
    return Decode(reader);
}

QImage LoadDiscPicture(const DiscFiles& files, const QString& path)
{
    if (!files.IsImage())
        return LoadDiscPicture(path);
    const QString prefix = files.PathOf(QString());
    if (path.isEmpty() || !path.startsWith(prefix))
        return QImage();
    int code = 0;
    const std::unique_ptr<DiscFile> file = files.Open(path.mid(prefix.size()), &code);
    if (!file)
        return QImage();
    QByteArray bytes = ReadDiscFile(*file, kPictureFileLimit);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    return Decode(reader);
}

const char* const kInterfaceMetaLanguages[6] = {"eng", "jpn", "zho", "deu", "fra", "spa"};

DiscPictures LoadDiscPictures(const BlurayDisc& disc, const DiscFiles& files, const QSize& page)
{
    DiscPictures pictures;
    if (disc.libraries.isEmpty())
        return pictures;
    QStringList languages;
    for (const DiscLibraryMeta& library : disc.libraries)
        languages << library.language;
    QHash<QString, QImage> decoded;  // by path: languages often share their pictures
    for (const char* code : kInterfaceMetaLanguages) {
        const DiscLibraryMeta& library = disc.libraries[ChooseMetaLanguage(languages, QLatin1String(code))];
        if (pictures.contains(library.language))
            continue;
        const int chosen = ChooseThumbnail(library.thumbnails, page);
        const QString path = chosen < 0 ? QString() : DiscThumbnailLocation(files, library.thumbnails[chosen].reference);
        if (!decoded.contains(path))
            decoded.insert(path, LoadDiscPicture(files, path));
        pictures.insert(library.language, decoded.value(path));
    }
    return pictures;
}
