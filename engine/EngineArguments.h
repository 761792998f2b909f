#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// What decides the engine's command line.
struct EngineLaunch
{
    quint64 windowId = 0;     // the native window the engine draws into
    QString screenshotFolder; // where the engine writes screenshots
    int mediaKind = 0;        // MEDIA_FILE, MEDIA_DVD or MEDIA_BLURAY
    bool titleChosen = false; // a Blu-ray title was picked by the user
    std::optional<int> titleNumber; // the picked title's number, if known; a DVD's title (1 if not)
    QString mediaPath;        // the file, or the DVD or Blu-ray folder
};

// The argument list, one element per argument; no shell ever sees it.
QStringList BuildEngineArguments(const EngineLaunch &launch);

// The same list as one line for an engine started with "-standby": each
// argument in the bytes a started program would get, percent-encoded, one
// space between them, and the line's end.
QByteArray StandbyLaunchLine(const QStringList &arguments);
