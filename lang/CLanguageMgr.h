#pragma once

#include <QList>
#include <QMap>
#include <QString>

struct LANGUAGE_INFO
{
    QString name;        // base name of the language file
    QString displayName; // what the Language menu shows
    QString locale;      // its [Language] Locale, e.g. "de" or "zh_CN"
};

// The language to start in before the user has chosen one: the first of the
// desktop's languages (most wanted first, "de-AT" or "de_AT" alike) that one
// of the languages on offer is written in, matched by full name, then by
// language alone; empty when none is.
QString DesktopLanguage(const QStringList &desktopLanguages, const QList<LANGUAGE_INFO> &offered);

// The texts of the chosen language, looked up by "Section/Key". The current
// language and the list of languages on offer come from config.ini beside the
// program; the user's own choice is kept in config.ini in the per-user data
// folder, because the program's folder is not writable once installed.
class CLanguageMgr
{
public:
    // Limits of the profile-file buffers the language files were made for;
    // longer lines are cut to them.
    static constexpr int MaxLanguageName = 63;
    static constexpr int MaxLanguagesSection = 10240;
    static constexpr int MaxLanguageLine = 127;
    static constexpr int MaxSectionNames = 1024;
    static constexpr int MaxSectionName = 255;
    static constexpr int MaxSectionContent = 10240;
    static constexpr int MaxTextLine = 1023;
    static constexpr int MaxKeyPath = 63;

    static CLanguageMgr &Instance();

    // programDir holds config.ini and Languages/; userDir the per-user config.ini.
    // desktopLanguages: the desktop's languages, most wanted first, for the
    // start before the user has chosen (QLocale::system().uiLanguages()).
    CLanguageMgr(const QString &programDir, const QString &userDir,
                 const QStringList &desktopLanguages = QStringList());

    QString GetText(const char *keyPath) const;
    QString GetText(const QString &keyPath) const;
    // False when the choice could not be stored; it holds for this run all
    // the same.
    bool SetLanguage(const QString &name);
    const QList<LANGUAGE_INFO> &GetLanguages() const { return languageList; }
    QString GetCurrentLanguage() const { return currentLanguage; }
    // The locale the current language is written in ("en" when unknown).
    QString GetCurrentLocale() const;

    QString languageFilePath() const { return languagesDir + currentLanguage + QStringLiteral(".ini"); }
    QString userConfigFile() const { return userConfigPath; }
    // The language file that could not be read, so that the built-in English
    // texts stand in for it; empty when it was read.
    QString missingLanguageFile() const { return missingFile; }

private:
    void ReadDefaultLanguage();
    void LoadLanguageList();
    void LoadStrings();

    QString configPath;
    QString userConfigPath;
    QString languagesDir;
    QString currentLanguage;
    QStringList desktopLanguages;
    QList<LANGUAGE_INFO> languageList;
    QMap<QString, QMap<QString, QString>> textTable;
    QString missingFile;
};

// Shorthand used wherever a widget is built.
inline QString Text(const char *keyPath)
{
    return CLanguageMgr::Instance().GetText(keyPath);
}
