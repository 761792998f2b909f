#include "lang/CLanguageMgr.h"

#include "lang/IniDocument.h"
#include "platform/GuardedFile.h"
#include "platform/ProgramPaths.h"
#include "resources/ImageResources.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

namespace {

const QString DefaultSection = QStringLiteral("DefaultLanguage");
const QString DefaultKey = QStringLiteral("Default");
const QString BuiltInDefault = QStringLiteral("/English");
// The English texts compiled into the program, for when the chosen file
// cannot be had: a player without words cannot even say what is wrong.
const QString BuiltInTexts = QStringLiteral(":/lang/English.ini");

IniDocument BuiltInEnglish()
{
    EnsureImageResources();
    QFile file(BuiltInTexts);
    return file.open(QIODevice::ReadOnly) ? IniDocument::fromBytes(file.readAll()) : IniDocument();
}

// Keeps whole lines while their sum (each with its terminating zero, as the
// profile buffers count) fits into the budget.
QList<IniDocument::Entry> withinBudget(const QList<IniDocument::Entry> &entries,
                                       int lineLimit, int budget)
{
    QList<IniDocument::Entry> kept;
    int used = 0;
    for (IniDocument::Entry e : entries) {
        QString line = e.key == e.text ? e.key : e.key + QLatin1Char('=') + e.text;
        if (line.size() > lineLimit) {
            line.truncate(lineLimit);
            const int eq = line.indexOf(QLatin1Char('='));
            e = eq < 0 ? IniDocument::Entry{line, line}
                       : IniDocument::Entry{line.left(eq), line.mid(eq + 1)};
        }
        used += int(line.size()) + 1;
        if (used >= budget)
            break;
        kept.append(e);
    }
    return kept;
}

QString cutAtZero(const QString &text)
{
    const int zero = text.indexOf(QChar(0));
    return zero < 0 ? text : text.left(zero);
}

} // namespace

QString DesktopLanguage(const QStringList &desktopLanguages, const QList<LANGUAGE_INFO> &offered)
{
    const auto normal = [](QString code) { return code.replace(QLatin1Char('-'), QLatin1Char('_')).toLower(); };
    for (const QString &wanted : desktopLanguages) {
        const QString code = normal(wanted);
        const QString language = code.section(QLatin1Char('_'), 0, 0);
        for (const LANGUAGE_INFO &l : offered)
            if (!l.locale.isEmpty() && normal(l.locale) == code)
                return l.name;
        for (const LANGUAGE_INFO &l : offered)
            if (!l.locale.isEmpty() && normal(l.locale).section(QLatin1Char('_'), 0, 0) == language)
                return l.name;
    }
    return QString();
}

CLanguageMgr &CLanguageMgr::Instance()
{
    static CLanguageMgr manager(ProgramDir(), UserDataFolder(), QLocale::system().uiLanguages());
    return manager;
}

CLanguageMgr::CLanguageMgr(const QString &programDir, const QString &userDir,
                           const QStringList &desktopLanguages)
    : configPath(programDir + QStringLiteral("/config.ini"))
    , userConfigPath(QDir(userDir).filePath(QStringLiteral("config.ini")))
    , languagesDir(programDir + QStringLiteral("/Languages") + QStringLiteral("/"))
    , desktopLanguages(desktopLanguages)
{
    LoadLanguageList();
    ReadDefaultLanguage();
    LoadStrings();
}

void CLanguageMgr::ReadDefaultLanguage()
{
    // The user's choice wins; until there is one, the desktop's language
    // when it is on offer, else the shipped default.
    const IniDocument user = IniDocument::fromFile(userConfigPath);
    const IniDocument shipped = IniDocument::fromFile(configPath);
    QString name = user.value(DefaultSection, DefaultKey);
    if (!user.contains(DefaultSection, DefaultKey))
        name = DesktopLanguage(desktopLanguages, languageList);
    if (name.isEmpty() && !user.contains(DefaultSection, DefaultKey))
        name = shipped.value(DefaultSection, DefaultKey, BuiltInDefault);
    currentLanguage = cutAtZero(name).left(MaxLanguageName);
}

void CLanguageMgr::LoadLanguageList()
{
    const IniDocument shipped = IniDocument::fromFile(configPath);
    const auto lines = withinBudget(shipped.entries(QStringLiteral("Languages")),
                                    MaxLanguageLine, MaxLanguagesSection);
    for (const IniDocument::Entry &e : lines) {
        const QString name = cutAtZero(e.key);
        const IniDocument file = IniDocument::fromFile(languagesDir + name + QStringLiteral(".ini"));
        languageList.append({name, cutAtZero(e.text), file.value(QStringLiteral("Language"), QStringLiteral("Locale"))});
    }
}

QString CLanguageMgr::GetCurrentLocale() const
{
    const QString locale = GetText("Language/Locale");
    return locale.isEmpty() ? QStringLiteral("en") : locale;
}

void CLanguageMgr::LoadStrings()
{
    textTable.clear();
    const GuardedFile::Contents read = GuardedFile::Read(languageFilePath(), IniDocument::MaxFileBytes);
    const bool usable = read.outcome == GuardedFile::Outcome::Read;
    missingFile = usable ? QString() : languageFilePath();
    const IniDocument file = usable ? IniDocument::fromBytes(read.bytes) : BuiltInEnglish();
    int namesUsed = 0;
    for (QString section : file.sectionNames()) {
        const QList<IniDocument::Entry> lines = file.entries(section);
        section.truncate(MaxSectionName);
        namesUsed += int(section.size()) + 1;
        if (namesUsed >= MaxSectionNames)
            break;
        QMap<QString, QString> &table = textTable[section];
        for (const IniDocument::Entry &e : withinBudget(lines, MaxTextLine, MaxSectionContent))
            if (!table.contains(e.key))
                table.insert(e.key, cutAtZero(e.text));
    }
}

QString CLanguageMgr::GetText(const char *keyPath) const
{
    return GetText(QString::fromLatin1(keyPath));
}

QString CLanguageMgr::GetText(const QString &keyPath) const
{
    if (keyPath.size() > MaxKeyPath)
        return QString();
    const int slash = keyPath.lastIndexOf(QLatin1Char('/'));
    const QString section = slash < 0 ? keyPath : keyPath.left(slash);
    const QString key = slash < 0 ? QString() : keyPath.mid(slash + 1);
    const auto found = textTable.constFind(section);
    if (found == textTable.constEnd())
        return QString();
    return found->value(key, QStringLiteral(""));
}

bool CLanguageMgr::SetLanguage(const QString &name)
{
    IniDocument user = IniDocument::fromFile(userConfigPath);
    user.setValue(DefaultSection, DefaultKey, name);
    QDir().mkpath(QFileInfo(userConfigPath).absolutePath());
    const bool kept = user.save(userConfigPath);
    // Not kept (a read-only or full folder): the choice still holds for as
    // long as the program runs.
    if (kept)
        ReadDefaultLanguage();
    else
        currentLanguage = cutAtZero(name).left(MaxLanguageName);
    LoadStrings();
    return kept;
}
