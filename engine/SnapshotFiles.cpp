#include "engine/SnapshotFiles.h"

#include "engine/EngineOutput.h"
#include "engine/SnapshotFolder.h"
#include "platform/AtomicFile.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QSaveFile>

#include <array>
#include <cerrno>
#include <cstdio>
#include <utility>

#include <fcntl.h>

namespace SnapshotFiles {

namespace {

// Beyond this many snapshots in one second something is wrong: stop looking.
constexpr int MaxNumbered = 1000;

} // namespace

QString EngineShot(const QByteArray &line, const QString &dataFolder)
{
    const QByteArray name = ScreenshotPath(line);
    if (name.isEmpty() || name.contains('\0'))
        return QString();
    const QFileInfo shot(QString::fromLocal8Bit(name));
    const QString folder = QFileInfo(dataFolder).canonicalFilePath();
    // Links are followed first: the file itself must live in the data folder.
    const QFileInfo real(shot.canonicalFilePath());
    if (folder.isEmpty() || real.filePath().isEmpty() || !real.isFile())
        return QString();
    if (real.absolutePath() != folder)
        return QString();
    return real.filePath();
}

bool CanWriteIn(const QString &folder)
{
    const QString probe = QDir(folder).filePath(QStringLiteral(".snapshot-check"));
    const bool written = WriteFileAtomically(probe, QByteArray(4096, '\0'));
    QFile::remove(probe);
    return written;
}

QString FileName(const QString &folder, const QDateTime &time, const QString &format)
{
    const QDate date = time.date();
    const QTime clock = time.time();
    return folder
        + QString::asprintf("Snapshot-%04d-%02d-%02d %02d-%02d-%02d.", date.year(), date.month(),
                            date.day(), clock.hour(), clock.minute(), clock.second())
        + format;
}

QString FreeName(const QString &path, const std::function<bool(const QString &)> &taken)
{
    const auto exists = taken ? taken : [](const QString &p) { return QFileInfo::exists(p); };
    if (!exists(path))
        return path;
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    int dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot <= slash)
        dot = path.size();
    for (int number = 2; number <= MaxNumbered; ++number) {
        QString candidate = path;
        candidate.insert(dot, QStringLiteral(" (%1)").arg(number));
        if (!exists(candidate))
            return candidate;
    }
    return QString();
}

Writer WriterFor(const QString &format)
{
    // PNG is lossless whatever its compression; the default level takes
    // twice as long on a 1080p frame as a middle one, for a sixth less size.
    // The engine writes no BMP: it writes a PNG for the window to convert.
    static const std::array<std::pair<const char *, Writer>, 2> writers = {{
        {"PNG", {"PNG", 50, 0}},
        {"BMP", {"BMP", -1, 0}},
    }};
    for (const auto &[text, writer] : writers)
        if (format == QLatin1String(text))
            return writer;
    return {"JPEG", -1, 1};
}

namespace {

// Into a file that does not exist yet: never over another snapshot.
bool RenameNew(const QString &from, const QString &to)
{
    return renameat2(AT_FDCWD, QFile::encodeName(from).constData(), AT_FDCWD,
                     QFile::encodeName(to).constData(), RENAME_NOREPLACE) == 0;
}

// The engine's file as it is, when it already is what the user chose.
bool Move(const QString &engineFile, const QString &path)
{
    if (RenameNew(engineFile, path))
        return true;
    if (errno == EEXIST)
        return false;
    // Another file system (or one without that kind of rename).
    QFile source(engineFile);
    QSaveFile file(path);
    if (!source.open(QIODevice::ReadOnly) || !file.open(QIODevice::WriteOnly))
        return false;
    char chunk[1 << 16];
    qint64 got;
    while ((got = source.read(chunk, sizeof chunk)) > 0)
        if (file.write(chunk, got) != got)
            return false;
    if (got != 0 || !file.commit())
        return false;
    source.close();
    QFile::remove(engineFile);
    return true;
}

bool Convert(const QImage &image, const Writer &writer, const QString &path)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly)
        && image.save(&file, writer.format.constData(), writer.quality) && file.commit();
}

} // namespace

Outcome Write(const Job &job)
{
    Outcome outcome{job, Failure::None, QString()};
    if (!QFileInfo(job.engineFile).isFile())
        return outcome; // announced twice, and saved the first time
    if (!SnapshotFolder::Make(job.folder)) {
        outcome.failure = Failure::Folder;
        return outcome;
    }
    QImageReader reader(job.engineFile);
    reader.setDecideFormatFromContent(true);
    const Writer writer = WriterFor(job.format);
    // Only the header is read to tell: a frame the engine wrote in the chosen
    // format is never decoded and encoded again.
    const bool asChosen = reader.format() == writer.format.toLower();
    const QImage image = asChosen ? QImage() : reader.read();
    if (!asChosen && image.isNull()) {
        outcome.failure = Failure::Image;
        return outcome;
    }
    const QString path = FreeName(FileName(job.folder, job.time, job.format));
    if (path.isEmpty() || !(asChosen ? Move(job.engineFile, path) : Convert(image, writer, path))) {
        outcome.failure = Failure::Write;
        return outcome;
    }
    if (!asChosen)
        QFile::remove(job.engineFile);
    outcome.savedAs = path;
    return outcome;
}

} // namespace SnapshotFiles
