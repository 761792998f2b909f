#include "disc/BlurayTitleList.h"

#include "disc/DirectoryListing.h"
#include "disc/DiscIdentity.h"
#include "disc/DiscMetadata.h"
#include "disc/FileDigest.h"
#include "disc/MplsReader.h"
#include "disc/TimeText.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
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
    if (!reader.LastBytes().isEmpty())
        file.contentDigest = PlaylistContentDigest(reader.LastBytes());
    return file;
}

// Finds byte copies among the playlists that have play items, by SHA-512
// digest. Files that differ in size or in the hash value of what the reader
// read cannot be copies, so digests are taken only for files that agree in
// both (in practice, the copies). A digest covers what the reader reads, all
// a playlist can hold: a file bigger than that is no playlist, and hashing
// gigabytes of two look-alikes would hold the disc page up for a minute.
class PlaylistCopies {
public:
    explicit PlaylistCopies(const std::atomic<bool>* cancelled) : cancelled_(cancelled) {}

    // Whether the file the reader read last is a copy of one of titles.
    // Its digest, when one was needed, goes to digest.
    bool IsCopy(const CMplsReader& reader, QList<BlurayTitle>& titles,
                QByteArray& digest)
    {
        const QByteArrayView bytes = reader.LastBytes();
        QList<qsizetype>& alike = titlesByKey_[{reader.LastFileSize(), qHash(bytes)}];
        if (!alike.isEmpty()) {
            // A file cut short while it was read is no copy of anything, nor
            // anything a copy of it.
            if (bytes.size() != qMin(reader.LastFileSize(), CMplsReader::kBufferSize))
                return false;
            digest = DigestHex(bytes);
        }
        for (const qsizetype i : alike) {
            BlurayTitle& title = titles[i];
            if (title.digest.isEmpty()
                && FileDigestHex(title.playlistPath, title.digest, cancelled_, CMplsReader::kBufferSize) != 0)
                continue;
            if (title.digest == digest)
                return true;
        }
        alike.append(titles.size());  // the index the new title gets
        return false;
    }

private:
    using Key = std::pair<qint64, size_t>;  // file size, hash value of the bytes read
    QHash<Key, QList<qsizetype>> titlesByKey_;  // indexes into the title list
    const std::atomic<bool>* cancelled_;
};

// A navigation file's bytes for the disc's identity: a regular file, and no
// more of it than any real disc has.
QByteArray ReadNavigationFile(const QString& path)
{
    constexpr qint64 kMaxBytes = 4 * 1024 * 1024;
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return {};
    return file.read(kMaxBytes);
}

QByteArray IdentityOf(const QString& root, const QList<BlurayPlaylistFile>& files)
{
    QList<QByteArray> digests;
    for (const BlurayPlaylistFile& file : files) {
        if (!file.contentDigest.isEmpty())
            digests.append(file.contentDigest);
    }
    return DiscIdentity(ReadNavigationFile(root + QLatin1String("index.bdmv")),
                        ReadNavigationFile(root + QLatin1String("MovieObject.bdmv")), digests);
}

} // namespace

qint64 PlayItemsSeconds(const QList<PLAY_ITEM_INFO>& items)
{
    qint64 seconds = 0;
    for (const PLAY_ITEM_INFO& item : items)
        seconds += item.durationMs / 1000;
    return seconds;
}

void ReadBlurayPlaylists(const QStringList& playlistPaths, BlurayDisc& disc,
                         const std::atomic<bool>* cancelled)
{
    disc.files.clear();
    disc.titles.clear();
    disc.episodes = {};
    CMplsReader reader;
    PlaylistCopies copies(cancelled);
    int counter = 1;
    for (const QString& path : playlistPaths) {
        if (cancelled && cancelled->load(std::memory_order_relaxed))
            return;
        disc.files.append(ReadPlaylistFile(reader, path));
        const BlurayPlaylistFile& file = disc.files.constLast();
        if (file.playItems.isEmpty())
            continue;  // not a playlist, damaged or a look-alike: no title, no number
        BlurayTitle title;
        if (copies.IsCopy(reader, disc.titles, title.digest)) {
            ++counter;  // a byte-identical copy uses up a number
            continue;
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
    // Longest first by the seconds, not by the text, which would put
    // 100:00:00 after 99:00:00; ties keep listing order.
    std::stable_sort(disc.titles.begin(), disc.titles.end(),
                     [](const BlurayTitle& a, const BlurayTitle& b) {
                         return a.durationSeconds > b.durationSeconds;
                     });
    disc.episodes = FindEpisodes(disc.titles);
}

BlurayDisc ReadBlurayDisc(const QString& discFolder, const std::atomic<bool>* cancelled)
{
    BlurayDisc disc;
    disc.folder = discFolder;
    if (discFolder.isEmpty())
        return disc;
    const QString root = ChildPath(discFolder, QStringLiteral("BDMV/"));
    const QString metadataFolder = root + QLatin1String("META/DL/");

    QByteArray name;
    QByteArray thumbnail;
    ReadDiscMetadata(metadataFolder + QLatin1String("bdmt_eng.xml"), name, thumbnail);
    disc.name = DecodeDiscName(name);
    disc.thumbnail = QString::fromLocal8Bit(thumbnail);
    if (!disc.thumbnail.isEmpty())
        disc.thumbnailPath = DiscThumbnailPath(metadataFolder, disc.thumbnail);

    QList<DIR_ENTRY_INFO> entries;
    ListDirectory(root + QLatin1String("PLAYLIST"), entries);
    QStringList playlistPaths;
    for (const DIR_ENTRY_INFO& entry : entries) {
        if (!entry.isDirectory)
            playlistPaths.append(entry.path);
    }
    ReadBlurayPlaylists(playlistPaths, disc, cancelled);
    disc.identity = IdentityOf(root, disc.files);
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
