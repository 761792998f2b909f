#include "app/LogHandler.h"

#include <QFile>
#include <QTextStream>

void LogMessageHandler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg)
        return;
    // Opened and closed per message, so nothing is held open and a crash
    // loses nothing already written.
    QFile file(QStringLiteral("Log.txt"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    QTextStream out(&file);
    out << QStringLiteral("Debug: %1").arg(message) << '\n';
}

void InstallLogHandler()
{
    qInstallMessageHandler(LogMessageHandler);
}
