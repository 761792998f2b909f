#include "disc/ProbeDuration.h"

#include <QProcess>

QString DurationTextFromProbeOutput(const QByteArray &errorOutput)
{
    static const QByteArray key = "Duration: ";
    const int at = errorOutput.indexOf(key);
    if (at < 0)
        return QString();
    return QString::fromLocal8Bit(errorOutput.mid(at + key.size(), 8));
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
