// desktop-texts: writes the desktop entry and the AppStream metainfo from
// their templates, with every text in every language taken from the language
// files ([Desktop] section; [Language] Locale names the language).
//
//   desktop-texts LANGUAGES_DIR VERSION DATE MIME_TYPES
//                 DESKTOP_IN DESKTOP_OUT METAINFO_IN METAINFO_OUT
//
// MIME_TYPES is a comma-separated list: the file types first, then any
// x-content/ types (these go into the desktop entry only).
#include "lang/IniDocument.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <cstdio>

namespace {

struct Language
{
    QString locale; // empty: the untranslated default (English)
    IniDocument texts;
};

QList<Language> ReadLanguages(const QString &folder)
{
    QList<Language> languages;
    const QStringList files = QDir(folder).entryList({QStringLiteral("*.ini")}, QDir::Files, QDir::Name);
    for (const QString &file : files) {
        Language language{QString(), IniDocument::fromFile(QDir(folder).filePath(file))};
        const QString locale = language.texts.value(QStringLiteral("Language"), QStringLiteral("Locale"));
        if (locale.isEmpty())
            continue;
        language.locale = locale == QLatin1String("en") ? QString() : locale;
        // The default language comes first, the others after it.
        language.locale.isEmpty() ? languages.prepend(language) : languages.append(language);
    }
    return languages;
}

QString Text(const Language &language, const char *key)
{
    return language.texts.value(QStringLiteral("Desktop"), QString::fromLatin1(key)).trimmed();
}

QString EscapeXml(QString text)
{
    return text.replace('&', "&amp;").replace('<', "&lt;").replace('>', "&gt;");
}

QString EscapeDesktop(QString text)
{
    return text.replace('\\', "\\\\");
}

// key=, then key[locale]= for each translation.
QString DesktopLines(const QList<Language> &languages, const char *key)
{
    QStringList lines;
    for (const Language &language : languages) {
        const QString text = Text(language, key);
        if (text.isEmpty())
            continue;
        const QString name = language.locale.isEmpty() ? QString::fromLatin1(key)
                                                       : QStringLiteral("%1[%2]").arg(key, language.locale);
        lines << name + QLatin1Char('=') + EscapeDesktop(text);
    }
    return lines.join('\n');
}

// <element>, then <element xml:lang="..."> for each translation.
QString XmlLines(const QList<Language> &languages, const char *key, const char *element, int indent)
{
    QStringList lines;
    const QString space(indent, QLatin1Char(' '));
    for (const Language &language : languages) {
        const QString text = Text(language, key);
        if (text.isEmpty())
            continue;
        const QString lang = language.locale.isEmpty() ? QString()
                                                       : QStringLiteral(" xml:lang=\"%1\"").arg(language.locale);
        lines << QStringLiteral("%1<%2%3>%4</%2>").arg(space, QLatin1String(element), lang, EscapeXml(text));
    }
    return lines.join('\n');
}

bool Write(const QString &templatePath, const QString &outPath, const QList<std::pair<QString, QString>> &fills)
{
    QFile in(templatePath);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QString text = QString::fromUtf8(in.readAll());
    for (const auto &[marker, fill] : fills)
        text.replace(marker, fill);
    QFile out(outPath);
    return out.open(QIODevice::WriteOnly) && out.write(text.toUtf8()) == text.toUtf8().size();
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 9) {
        std::fprintf(stderr, "usage: desktop-texts LANGUAGES VERSION DATE MIME_TYPES "
                             "DESKTOP_IN DESKTOP_OUT METAINFO_IN METAINFO_OUT\n");
        return 2;
    }
    const QList<Language> languages = ReadLanguages(QString::fromLocal8Bit(argv[1]));
    if (languages.isEmpty() || !languages.first().locale.isEmpty()) {
        std::fprintf(stderr, "desktop-texts: no English language file in %s\n", argv[1]);
        return 1;
    }
    const QStringList types = QString::fromLatin1(argv[4]).split(',', Qt::SkipEmptyParts);
    QStringList mediaTypes;
    for (const QString &type : types)
        if (!type.startsWith(QLatin1String("x-content/")))
            mediaTypes << QStringLiteral("    <mediatype>%1</mediatype>").arg(type);

    const QStringList desktopTexts = {DesktopLines(languages, "GenericName"), DesktopLines(languages, "Comment"),
                                      DesktopLines(languages, "Keywords")};
    const bool desktop = Write(QString::fromLocal8Bit(argv[5]), QString::fromLocal8Bit(argv[6]),
                               {{"@TEXTS@", desktopTexts.join('\n')}, {"@MIME_TYPES@", types.join(';') + ';'}});
    const bool metainfo = Write(QString::fromLocal8Bit(argv[7]), QString::fromLocal8Bit(argv[8]), {
        {"@SUMMARY@", XmlLines(languages, "Comment", "summary", 2)},
        {"@DESCRIPTION1@", XmlLines(languages, "Description1", "p", 4)},
        {"@DESCRIPTION2@", XmlLines(languages, "Description2", "p", 4)},
        {"@CAPTION_DISC@", XmlLines(languages, "ScreenshotDisc", "caption", 6)},
        {"@CAPTION_WELCOME@", XmlLines(languages, "ScreenshotWelcome", "caption", 6)},
        {"@RELEASE10@", XmlLines(languages, "Release10", "p", 8)},
        {"@MEDIA_TYPES@", mediaTypes.join('\n')},
        {"@VERSION@", QString::fromLatin1(argv[2])},
        {"@RELEASE_DATE@", QString::fromLatin1(argv[3])},
    });
    if (!desktop || !metainfo) {
        std::fprintf(stderr, "desktop-texts: could not write %s or %s\n", argv[6], argv[8]);
        return 1;
    }
    return 0;
}
