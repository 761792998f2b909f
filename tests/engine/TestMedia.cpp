#include "TestMedia.h"

#include <QDir>
#include <QFile>
#include <QProcess>

namespace TestMedia {

bool Run(const QString& program, const QStringList& arguments, QString* log, int timeoutMs)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool finished = process.waitForStarted(5000) && process.waitForFinished(timeoutMs);
    if (log)
        *log = QString::fromLocal8Bit(process.readAll());
    if (!finished) {
        process.kill();
        process.waitForFinished(2000);
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool MakeClip(const QString& path, int seconds)
{
    const QString subtitles = path + ".srt";
    QFile srt(subtitles);
    if (!srt.open(QIODevice::WriteOnly))
        return false;
    srt.write(QString("1\n00:00:00,200 --> 00:00:%1,000\nHallo\n\n")
                  .arg(qMax(seconds - 1, 1), 2, 10, QChar('0')).toUtf8());
    srt.close();
    const QString d = QString::number(seconds);
    return Run("ffmpeg", {"-v", "error", "-y",
                          "-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=" + d,
                          "-f", "lavfi", "-i", "sine=f=440:sample_rate=48000:d=" + d,
                          "-f", "lavfi", "-i", "sine=f=880:sample_rate=48000:d=" + d,
                          "-i", subtitles,
                          "-map", "0", "-map", "1", "-map", "2", "-map", "3",
                          "-c:v", "libx264", "-preset", "ultrafast", "-g", "25",
                          "-c:a", "aac", "-ac", "2", "-c:s", "srt",
                          "-metadata:s:a:0", "language=eng", "-metadata:s:a:1", "language=fra",
                          "-metadata:s:s:0", "language=deu", path});
}

bool MakeRawAudio(const QString& path, int seconds)
{
    return Run("ffmpeg", {"-v", "error", "-y", "-f", "lavfi",
                          "-i", "sine=f=440:d=" + QString::number(seconds),
                          "-c:a", "aac", "-f", "adts", path});
}

bool MakeDvd(const QString& folder, const QList<int>& seconds, const QString& workFolder, int chapterSeconds)
{
    QString pgcs;
    for (int i = 0; i < seconds.size(); ++i) {
        const QString mpg = workFolder + QString("/title%1.mpg").arg(i + 1);
        const QString d = QString::number(seconds[i]);
        if (!Run("ffmpeg", {"-v", "error", "-y",
                            "-f", "lavfi", "-i", "testsrc=size=352x288:rate=25:duration=" + d,
                            "-f", "lavfi", "-i", "sine=f=440:d=" + d,
                            "-target", "pal-dvd", "-s", "352x288", "-b:v", "1500k", mpg}))
            return false;
        QStringList chapters{"0"};
        for (int at = chapterSeconds; chapterSeconds > 0 && at < seconds[i]; at += chapterSeconds)
            chapters << QString("0:%1").arg(at, 2, 10, QChar('0'));
        // Each title ends the playback instead of running into the next.
        pgcs += QString("<pgc><vob file=\"%1\" chapters=\"%2\"/><post>exit;</post></pgc>\n")
                    .arg(mpg, chapters.join(','));
    }
    const QString xml = workFolder + "/dvd.xml";
    QFile file(xml);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QString("<dvdauthor dest=\"%1\"><vmgm/><titleset><titles><audio lang=\"en\"/>\n%2</titles></titleset></dvdauthor>\n")
                   .arg(folder, pgcs).toUtf8());
    file.close();
    QProcess dvdauthor;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("VIDEO_FORMAT", "PAL");
    dvdauthor.setProcessEnvironment(environment);
    dvdauthor.setProcessChannelMode(QProcess::MergedChannels);
    dvdauthor.start("dvdauthor", {"-x", xml});
    return dvdauthor.waitForFinished(60000) && dvdauthor.exitCode() == 0
           && QDir(folder + "/VIDEO_TS").exists();
}

bool MakeM2ts(const QString& path, int seconds, int audioStreams, int toneHz)
{
    const QString d = QString::number(seconds);
    QStringList arguments = {"-v", "error", "-y",
                             "-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=" + d};
    for (int i = 0; i < audioStreams; ++i)
        arguments << "-f" << "lavfi" << "-i"
                  << QString("sine=f=%1:sample_rate=48000:d=%2").arg(toneHz * (i + 1)).arg(d);
    arguments << "-map" << "0:v";
    for (int i = 0; i < audioStreams; ++i)
        arguments << "-map" << QString("%1:a").arg(i + 1);
    arguments << "-c:v" << "libx264" << "-preset" << "ultrafast" << "-g" << "25"
              << "-bsf:v" << "h264_mp4toannexb"
              << "-c:a" << "ac3" << "-b:a" << "128k"
              << "-mpegts_m2ts_mode" << "1" << "-f" << "mpegts" << path;
    return Run("ffmpeg", arguments);
}

}
