#include "disc/BlurayTitleList.h"

#include "disc/DirectoryListing.h"
#include "disc/DiscMetadata.h"
#include "disc/FileDigest.h"
#include "disc/MplsReader.h"
#include "disc/TimeText.h"

#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>
#include <algorithm>

namespace {

// Disc names are written in UTF-8 on current discs; anything that is not valid
// UTF-8 is taken as Latin-1.
QString DecodeDiscName(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

BlurayPlaylistFile ReadPlaylistFile(CMplsReader& reader, const QString& path)
{
    BlurayPlaylistFile file;
    file.path = path;
    file.fileName = QFileInfo(path).fileName();
    file.code = reader.Read(path, file.playItems, file.subtitles, file.audio, file.chapters);
    return file;
}

// The reader's buffer holds the whole file unless it is over 10 MiB; only
// then is the file read again.
bool PlaylistDigest(const CMplsReader& reader, const QString& path, QByteArray& digest)
{
    const QByteArrayView bytes = reader.LastFileBytes();
    if (bytes.isEmpty())
        return FileDigestHex(path, digest) == 0;
    digest = DigestHex(bytes);
    return true;
}

} // namespace

qint64 PlayItemsSeconds(const QList<PLAY_ITEM_INFO>& items)
{
    qint64 seconds = 0;
    for (const PLAY_ITEM_INFO& item : items)
        seconds += item.durationMs / 1000;
    return seconds;
}

void ReadBlurayPlaylists(const QStringList& playlistPaths, BlurayDisc& disc)
{
    disc.files.clear();
    disc.titles.clear();
    CMplsReader reader;
    QSet<QByteArray> digestsSeen;
    int counter = 1;
    for (const QString& path : playlistPaths) {
        disc.files.append(ReadPlaylistFile(reader, path));
        const BlurayPlaylistFile& file = disc.files.constLast();
        if (file.playItems.isEmpty())
            continue;  // not a playlist, damaged or a look-alike: no title, no number
        BlurayTitle title;
        // A digest that cannot be taken (the file vanished after it was read)
        // makes the file no copy of anything.
        if (PlaylistDigest(reader, path, title.digest)) {
            if (digestsSeen.contains(title.digest)) {
                ++counter;  // a byte-identical copy uses up a number
                continue;
            }
            digestsSeen.insert(title.digest);
        }
        title.number = counter++;
        title.playlistPath = path;
        title.fileName = file.fileName;
        title.playItems = file.playItems;
        title.chapters = file.chapters;
        title.audio = file.audio;
        title.subtitles = file.subtitles;
        title.durationSeconds = PlayItemsSeconds(file.playItems);
        title.durationText = FormatSeconds(title.durationSeconds);
        disc.titles.append(title);
    }
    // Longest first by the text, as the disc page shows it; ties keep listing order.
    std::stable_sort(disc.titles.begin(), disc.titles.end(),
                     [](const BlurayTitle& a, const BlurayTitle& b) {
                         return a.durationText > b.durationText;
                     });
}

BlurayDisc ReadBlurayDisc(const QString& discFolder)
{
    BlurayDisc disc;
    disc.folder = discFolder;
    const QString root = discFolder + QLatin1String("/BDMV/");
    const QString metadataFolder = root + QLatin1String("META/DL/");

    QByteArray name;
    QByteArray thumbnail;
    ReadDiscMetadata(metadataFolder + QLatin1String("bdmt_eng.xml"), name, thumbnail);
    disc.name = DecodeDiscName(name);
    disc.thumbnail = QString::fromLocal8Bit(thumbnail);
    if (!disc.thumbnail.isEmpty())
        disc.thumbnailPath = metadataFolder + disc.thumbnail;

    QList<DIR_ENTRY_INFO> entries;
    ListDirectory(root + QLatin1String("PLAYLIST"), entries);
    QStringList playlistPaths;
    for (const DIR_ENTRY_INFO& entry : entries) {
        if (!entry.isDirectory)
            playlistPaths.append(entry.path);
    }
    ReadBlurayPlaylists(playlistPaths, disc);
    return disc;
}

const BlurayTitle* FindBlurayTitle(const BlurayDisc& disc, int n)
{
    if (n == 0)
        return disc.titles.isEmpty() ? nullptr : &disc.titles.first();
    for (const BlurayTitle& title : disc.titles) {
        if (n > 0 && title.number == n)
            return &title;
    }
    return nullptr;
}
