#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// vantorel [FILE|FOLDER|file:// URL]...: what to open, as a drop of it would.

// Why an argument is not opened.
enum class ArgumentProblem {
    None,
    Missing,     // no such file or folder
    NotLocal,    // a URL of another kind than file://
    NotPlayable, // a device, socket or pipe
    Unreadable,
    BadName,     // not valid UTF-8: no text can name it
    LeftOut,     // a disc folder opens on its own
};

struct RefusedArgument
{
    ArgumentProblem problem = ArgumentProblem::None;
    QString argument; // as given
};

// One argument made into an absolute local path, resolved against the
// folder the program was started in.
struct ResolvedArgument
{
    QString path;
    bool folder = false;
    ArgumentProblem problem = ArgumentProblem::None;
};
ResolvedArgument ResolveArgument(const QString &argument, const QString &workingFolder);

// What opens: the first usable argument decides. A folder opens alone (a
// Blu-ray shows its disc page, a DVD plays); otherwise every file opens, the
// first playing and all of them joining the playlist, as choosing several in
// File > Open File does. The rest are refused as LeftOut.
struct OpenPlan
{
    QStringList paths;
    QList<RefusedArgument> refused;
};
OpenPlan PlanOpening(const QStringList &arguments, const QString &workingFolder);
// Regular files only: they start playing without any question or message,
// so the window can start them before it is shown.
bool PlaysWithoutAsking(const QStringList &paths);

struct CommandLine
{
    bool finished = false; // --help, --version or a mistake: nothing to start
    int exitCode = 0;
    QByteArray output;     // for standard output
    QByteArray errors;     // for standard error
    OpenPlan plan;
};
// Reads the command line without an application object (a later start hands
// over and ends before one is made). Qt's own options (-platform, -display,
// -style and the like) are accepted and left to the application object.
CommandLine ReadCommandLine(int argc, char **argv, const QString &workingFolder);

// The line telling why an argument is not opened (needs the language files,
// so an application object).
QString RefusalText(const RefusedArgument &refused);
// Every refusal on standard error.
void TellRefusals(const QList<RefusedArgument> &refused);

// The paths as they travel to a running instance.
QList<QByteArray> PathBytes(const QStringList &paths);
