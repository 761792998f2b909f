#include "platform/ProgramPaths.h"

#include <QCoreApplication>
#include <QStandardPaths>

QString ProgramDir()
{
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
