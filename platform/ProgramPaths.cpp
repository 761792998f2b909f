#include "platform/ProgramPaths.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

QString ProgramDir()
{
    // Before the application object exists (an engine started ahead of it),
    // the same folder comes from the kernel's link to this program.
    if (!QCoreApplication::instance())
        return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).path();
    return QCoreApplication::applicationDirPath();
}

QString UserDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/Vantorel/");
}

QString EngineProgram()
{
    const QString override = qEnvironmentVariable("VANTOREL_ENGINE");
    if (!override.isEmpty())
        return override;
    return ProgramDir() + QStringLiteral("/Player");
}

QString ProbeToolSource()
{
    return ProgramDir() + QStringLiteral("/tool");
}
