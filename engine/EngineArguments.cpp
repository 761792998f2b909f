#include "engine/EngineArguments.h"

#include "ui/PlayListInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QStringList BuildEngineArguments(const EngineLaunch &launch)
{
    QStringList arguments = {
        QStringLiteral("-demuxer"), QStringLiteral("lavf"),
        QStringLiteral("-ni"),
        QStringLiteral("-slave"),
        QStringLiteral("-quiet"),
        QStringLiteral("-wid"), QString::number(launch.windowId),
        QStringLiteral("-vo"), QStringLiteral("direct3d"),
        QStringLiteral("-lavdopts"), QStringLiteral("threads=4"),
        QStringLiteral("-vf"), QStringLiteral("screenshot=") + launch.screenshotFolder,
        QStringLiteral("-af"), QStringLiteral("channels=6,volume=5.1:1"),
    };
    if (launch.mediaKind == MEDIA_DVD) {
        arguments << QStringLiteral("dvd://%1").arg(launch.titleNumber.value_or(1)) << QStringLiteral("-dvd-device");
    } else if (launch.mediaKind == MEDIA_BLURAY) {
        if (!launch.titleChosen)
            arguments << QStringLiteral("br://0") << QStringLiteral("-bluray-device");
        else if (launch.titleNumber)
            arguments << QStringLiteral("br://%1").arg(*launch.titleNumber)
                      << QStringLiteral("-bluray-device");
    }
    // Absolute, so that the engine never takes a name for one of its options.
    const bool relative = !launch.mediaPath.isEmpty() && QDir::isRelativePath(launch.mediaPath);
    arguments << (relative ? QFileInfo(launch.mediaPath).absoluteFilePath() : launch.mediaPath);
    return arguments;
}

QByteArray StandbyLaunchLine(const QStringList &arguments)
{
    QByteArrayList encoded;
    encoded.reserve(arguments.size());
    for (const QString &argument : arguments)
        encoded << QFile::encodeName(argument).toPercentEncoding();
    return encoded.join(' ') + '\n';
}
