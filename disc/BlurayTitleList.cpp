#include "disc/BlurayTitleList.h"

#include "disc/DirectoryListing.h"
#include "disc/DiscFiles.h"
#include "disc/DiscIdentity.h"
#include "disc/DiscMetadata.h"
#include "disc/FileDigest.h"
#include "disc/MplsReader.h"
#include "disc/RawFile.h"
#include "disc/TimeText.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>
#include <algorithm>
#include <functional>

namespace {

// Disc names are written in UTF-8 on current discs; anything that is not valid
// UTF-8 is taken as Latin-1.
QString DecodeDiscName(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

// Opens a playlist file by the full path it is listed under.
using OpenFile = std::function<std::unique_ptr<DiscFile>(const QString& path, int* code)>;

std::unique_ptr<DiscFile> OpenOnDisk(const QString& path, int* code)
{
    auto file = std::make_unique<CRawFile>();
    *code = file->Open(path);
    return *code == 0 ? std::move(file) : nullptr;
}

int DigestOf(const OpenFile& open, const QString& path, QByteArray& digest,
             const std::atomic<bool>* cancelled)
{
    int code = 0;
    const std::unique_ptr<DiscFile> file = open(path, &code);
    // What the reader reads, all a playlist can hold, and no more.
    return file ? FileDigestHex(*file, digest, cancelled, CMplsReader::kBufferSize) : CRawFile::kNotOpen;
}

BlurayPlaylistFile ReadPlaylistFile(CMplsReader& reader, const OpenFile& open, const QString& path)
{
    BlurayPlaylistFile file;
    file.path = path;
    file.fileName = EntryName(path);
    int code = 0;
    const std::unique_ptr<DiscFile> opened = open(path, &code);
    file.code = reader.Read(opened.get(), code, file.playItems, file.subtitles, file.audio, file.chapters);
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
    PlaylistCopies(const OpenFile& open, const std::atomic<bool>* cancelled)
        : open_(open), cancelled_(cancelled) {}

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
            if (title.digest.isEmpty() && DigestOf(open_, title.playlistPath, title.digest, cancelled_) != 0)
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
    const OpenFile& open_;
    const std::atomic<bool>* cancelled_;
};

// A navigation file's bytes for the disc's identity: a regular file, and no
// more of it than any real disc has.
QByteArray ReadNavigationFile(const DiscFiles& disc, const QString& path)
{
    constexpr qint64 kMaxBytes = 4 * 1024 * 1024;
    int code = 0;
    const std::unique_ptr<DiscFile> file = disc.Open(path, &code);
    return file ? ReadDiscFile(*file, kMaxBytes) : QByteArray();
}

QByteArray IdentityOf(const DiscFiles& disc, const QList<BlurayPlaylistFile>& files)
{
    QList<QByteArray> digests;
    for (const BlurayPlaylistFile& file : files) {
        if (!file.contentDigest.isEmpty())
            digests.append(file.contentDigest);
    }
    return DiscIdentity(ReadNavigationFile(disc, QStringLiteral("BDMV/index.bdmv")),
                        ReadNavigationFile(disc, QStringLiteral("BDMV/MovieObject.bdmv")), digests);
}

} // namespace

qint64 PlayItemsSeconds(const QList<PLAY_ITEM_INFO>& items)
{
    qint64 seconds = 0;
    for (const PLAY_ITEM_INFO& item : items)
        seconds += item.durationMs / 1000;
    return seconds;
}

namespace {

void ReadPlaylists(const QStringList& playlistPaths, const OpenFile& open, BlurayDisc& disc,
                   const std::atomic<bool>* cancelled)
{
    disc.files.clear();
    disc.titles.clear();
    disc.episodes = {};
    CMplsReader reader;
    PlaylistCopies copies(open, cancelled);
    int counter = 1;
    for (const QString& path : playlistPaths) {
        if (cancelled && cancelled->load(std::memory_order_relaxed))
            return;
        disc.files.append(ReadPlaylistFile(reader, open, path));
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

} // namespace

void ReadBlurayPlaylists(const QStringList& playlistPaths, BlurayDisc& disc,
                         const std::atomic<bool>* cancelled)
{
    ReadPlaylists(playlistPaths, OpenOnDisk, disc, cancelled);
}

BlurayDisc ReadBlurayDisc(const QString& discLocation, const std::atomic<bool>* cancelled)
{
    const std::unique_ptr<DiscFiles> files = OpenDiscFiles(discLocation);
    if (!files) {
        BlurayDisc disc;
        disc.folder = discLocation;
        return disc;
    }
    return ReadBlurayDisc(*files, cancelled);
}

BlurayDisc ReadBlurayDisc(const DiscFiles& files, const std::atomic<bool>* cancelled)
{
    BlurayDisc disc;
    disc.folder = files.Location();
    QByteArray name;
    QByteArray thumbnail;
    int code = 0;
    if (const std::unique_ptr<DiscFile> file = files.Open(QStringLiteral("BDMV/META/DL/bdmt_eng.xml"), &code)) {
        QByteArray bytes = ReadDiscFile(*file, kMetadataLimit);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly | QIODevice::Text);
        ReadDiscMetadata(buffer, name, thumbnail);
    }
    disc.name = DecodeDiscName(name);
    disc.thumbnail = QString::fromLocal8Bit(thumbnail);
    disc.thumbnailPath = DiscThumbnailLocation(files, disc.thumbnail);
    disc.libraries = ReadDiscLibraries(files);
    // An English file that reads line by line but not as XML still speaks
    // for the disc in English, as it always did.
    const bool english = std::any_of(disc.libraries.cbegin(), disc.libraries.cend(),
                                     [](const DiscLibraryMeta& library) { return library.language == QLatin1String("eng"); });
    if (!english && (!disc.name.isEmpty() || !disc.thumbnail.isEmpty())) {
        DiscLibraryMeta lines{QStringLiteral("eng"), disc.name, {}};
        if (!disc.thumbnail.isEmpty())
            lines.thumbnails.append({disc.thumbnail, QSize()});
        disc.libraries.append(lines);
    }
    disc.chapterNames = ReadDiscChapterNames(files);

    const QString playlists = QStringLiteral("BDMV/PLAYLIST");
    QList<DIR_ENTRY_INFO> entries;
    files.List(playlists, entries);
    QStringList playlistPaths;
    for (const DIR_ENTRY_INFO& entry : entries) {
        if (!entry.isDirectory)
            playlistPaths.append(entry.path);
    }
    const OpenFile open = [&files, &playlists](const QString& path, int* code) {
        return files.Open(ChildPath(playlists, EntryName(path)), code);
    };
    ReadPlaylists(playlistPaths, open, disc, cancelled);
    disc.identity = IdentityOf(files, disc.files);
    return disc;
}

QString DiscThumbnailLocation(const DiscFiles& files, const QString& reference)
{
    if (reference.isEmpty())
        return QString();
    const QString metadataFolder = QStringLiteral("BDMV/META/DL/");
    if (!files.IsImage())
        return DiscThumbnailPath(files.PathOf(metadataFolder), reference);
    // Inside an image there are no links: a reference that stays inside
    // the folder is the file it names.
    const QString relative = QDir::cleanPath(reference);
    if (QDir::isAbsolutePath(relative) || relative == QLatin1String("..") ||
        relative.startsWith(QLatin1String("../")))
        return QString();
    return files.PathOf(metadataFolder + relative);
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
