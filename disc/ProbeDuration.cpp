#include "disc/ProbeDuration.h"

#include <QProcess>

#include <cctype>

QString DurationTextFromProbeOutput(const QByteArray &errorOutput)
{
    static const QByteArray key = "Duration: ";
    const int at = errorOutput.indexOf(key);
    if (at < 0)
        return QString();
    const qsizetype from = at + key.size();
    // A time is read whole, however many digits its hours take ("123:45:07"
    // cut to eight characters would read as 123 hours and 45 minutes);
    // anything else keeps its first eight characters.
    qsizetype end = from;
    while (end < errorOutput.size() && (std::isdigit(uchar(errorOutput[end])) || errorOutput[end] == ':'))
        ++end;
    if (end == from)
        return QString::fromLocal8Bit(errorOutput.mid(from, 8));
    return QString::fromLocal8Bit(errorOutput.mid(from, end - from));
}

QString ProbeDuration(const QString &probe, const QString &file, int timeoutMs)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(probe, {QStringLiteral("-i"), file}, QIODevice::ReadOnly);
    if (!process.waitForStarted(timeoutMs))
        return QString();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        return QString();
    }
    return DurationTextFromProbeOutput(process.readAllStandardError());
}
