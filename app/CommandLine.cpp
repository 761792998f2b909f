#include "app/CommandLine.h"

#include "disc/DiscFiles.h"

#include "lang/CLanguageMgr.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QUrl>

#include <algorithm>
#include <cstdio>

namespace {

// Options of Qt's own that take a value; the application object reads them.
const char *const QtValueOptions[] = {"platform", "platformpluginpath", "platformtheme", "plugin",
                                      "display", "geometry", "style", "stylesheet", "session",
                                      "name", "title", "qwindowgeometry", "qwindowtitle",
                                      "qwindowicon"};
const char *const QtFlagOptions[] = {"reverse", "nograb", "dograb", "sync", "widgetcount"};

void AddQtOptions(QCommandLineParser &parser)
{
    for (const char *name : QtValueOptions) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char *name : QtFlagOptions) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

// A "scheme://" that is not file://: the program opens local things only.
bool IsOtherUrl(const QString &argument)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    return scheme.match(argument).hasMatch();
}

// The local path a file URL names, or an empty string for one that names
// none here (another host, or not a URL at all).
QString LocalPathOf(const QString &argument)
{
    QUrl url(argument);
    if (!url.isValid() || !url.isLocalFile())
        return QString();
    const QString host = url.host();
    if (!host.isEmpty() && host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0)
        return QString();
    url.setHost(QString()); // else the path would come back as //localhost/...
    return url.toLocalFile();
}

ResolvedArgument Refuse(ArgumentProblem problem)
{
    ResolvedArgument refused;
    refused.problem = problem;
    return refused;
}

QByteArray Line(const QString &text)
{
    return text.toLocal8Bit() + '\n';
}

} // namespace

ResolvedArgument ResolveArgument(const QString &argument, const QString &workingFolder)
{
    if (argument.isEmpty())
        return Refuse(ArgumentProblem::Missing);
    const QDir here(workingFolder);
    QString path = argument;
    // A file that exists under the name as given wins over any reading of
    // it as a URL.
    if (!QFileInfo::exists(here.absoluteFilePath(argument))) {
        if (argument.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
            path = LocalPathOf(argument);
            if (path.isEmpty())
                return Refuse(ArgumentProblem::NotLocal);
        } else if (IsOtherUrl(argument)) {
            return Refuse(ArgumentProblem::NotLocal);
        }
    }
    ResolvedArgument resolved;
    resolved.path = QDir::cleanPath(here.absoluteFilePath(path));
    const QFileInfo info(resolved.path);
    if (!info.exists())
        return Refuse(ArgumentProblem::Missing);
    // A disc image opens as its disc does, alone.
    resolved.folder = info.isDir() || (info.isFile() && IsDiscImageName(resolved.path));
    if (!resolved.folder && !info.isFile())
        return Refuse(ArgumentProblem::NotPlayable);
    if (!info.isReadable() || (resolved.folder && !info.isExecutable()))
        return Refuse(ArgumentProblem::Unreadable);
    return resolved;
}

OpenPlan PlanOpening(const QStringList &arguments, const QString &workingFolder)
{
    OpenPlan plan;
    bool folderOpens = false;
    for (const QString &argument : arguments) {
        const ResolvedArgument resolved = ResolveArgument(argument, workingFolder);
        if (resolved.problem != ArgumentProblem::None) {
            plan.refused.append({resolved.problem, argument});
        } else if (plan.paths.isEmpty()) {
            plan.paths << resolved.path;
            folderOpens = resolved.folder;
        } else if (folderOpens || resolved.folder) {
            plan.refused.append({ArgumentProblem::LeftOut, argument});
        } else {
            plan.paths << resolved.path;
        }
    }
    return plan;
}

CommandLine ReadCommandLine(int argc, char **argv, const QString &workingFolder)
{
    QStringList arguments;
    QSet<QString> badNames; // arguments whose bytes are not UTF-8
    for (int i = 0; i < argc; ++i) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        arguments << utf8(QByteArrayView(argv[i]));
        if (utf8.hasError())
            badNames.insert(arguments.last());
    }
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Plays Blu-ray folders, DVD folders and media files.\n"
                       "A running Vantorel is brought back and opens what is given."));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    AddQtOptions(parser);
    parser.addPositionalArgument(QStringLiteral("media"),
                                 QStringLiteral("Files, disc folders or file:// URLs to open. "
                                                "Names that begin with '-' follow '--'."),
                                 QStringLiteral("[FILE|FOLDER|URL...]"));
    CommandLine commandLine;
    if (!parser.parse(arguments)) {
        commandLine.finished = true;
        commandLine.exitCode = 1;
        commandLine.errors = Line(QStringLiteral("vantorel: ") + parser.errorText())
            + Line(QStringLiteral("Try 'vantorel --help' for more information."));
        return commandLine;
    }
    const bool helpAsked = parser.isSet(help) || parser.isSet(QStringLiteral("help-all"));
    if (helpAsked || parser.isSet(version)) {
        commandLine.finished = true;
        // Without an application object the parser does not know our name.
        QString text = parser.helpText();
        text.replace(QLatin1String("<executable_name>"), QLatin1String("vantorel"));
        commandLine.output = helpAsked ? text.toLocal8Bit()
                                       : Line(QStringLiteral("vantorel ") + QStringLiteral(VANTOREL_VERSION));
        return commandLine;
    }
    QStringList named;
    for (const QString &argument : parser.positionalArguments()) {
        if (badNames.contains(argument))
            commandLine.plan.refused.append({ArgumentProblem::BadName, argument});
        else
            named << argument;
    }
    const OpenPlan plan = PlanOpening(named, workingFolder);
    commandLine.plan.paths = plan.paths;
    commandLine.plan.refused += plan.refused;
    return commandLine;
}

bool PlaysWithoutAsking(const QStringList &paths)
{
    return !paths.isEmpty()
        && std::all_of(paths.cbegin(), paths.cend(), [](const QString &path) {
               return QFileInfo(path).isFile() && !IsDiscImageName(path);
           });
}

QString RefusalText(const RefusedArgument &refused)
{
    const char *key = nullptr;
    switch (refused.problem) {
    case ArgumentProblem::None:
        return QString();
    case ArgumentProblem::Missing: key = "Messages/MSG0501"; break;
    case ArgumentProblem::NotLocal: key = "Messages/MSG0502"; break;
    case ArgumentProblem::NotPlayable: key = "Messages/MSG0503"; break;
    case ArgumentProblem::Unreadable: key = "Messages/MSG0504"; break;
    case ArgumentProblem::BadName: key = "Messages/MSG0505"; break;
    case ArgumentProblem::LeftOut: key = "Messages/MSG0506"; break;
    }
    return QStringLiteral("vantorel: ") + Text(key).arg(refused.argument);
}

void TellRefusals(const QList<RefusedArgument> &refused)
{
    for (const RefusedArgument &one : refused)
        std::fputs(Line(RefusalText(one)).constData(), stderr);
    std::fflush(stderr);
}

QList<QByteArray> PathBytes(const QStringList &paths)
{
    QList<QByteArray> bytes;
    bytes.reserve(paths.size());
    for (const QString &path : paths)
        bytes << path.toUtf8();
    return bytes;
}
