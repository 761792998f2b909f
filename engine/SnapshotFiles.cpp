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
#include <utility>

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
    static const std::array<std::pair<const char *, Writer>, 2> writers = {{
        {"PNG", {"PNG", 50}},
        {"BMP", {"BMP", -1}},
    }};
    for (const auto &[text, writer] : writers)
        if (format == QLatin1String(text))
            return writer;
    return {"JPEG", -1};
}

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
    const QImage image = reader.read();
    if (image.isNull()) {
        outcome.failure = Failure::Image;
        return outcome;
    }
    const QString path = FreeName(FileName(job.folder, job.time, job.format));
    const Writer writer = WriterFor(job.format);
    QSaveFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::WriteOnly)
        || !image.save(&file, writer.format.constData(), writer.quality) || !file.commit()) {
        outcome.failure = Failure::Write;
        return outcome;
    }
    QFile::remove(job.engineFile);
    outcome.savedAs = path;
    return outcome;
}

} // namespace SnapshotFiles
