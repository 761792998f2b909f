#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// An INI file kept as its lines. Reading follows the profile-file rules the
// language files were written for: a line splits at its first "=", the first
// of two equal keys in a section wins, sections keep their file order. Writing
// changes one value and leaves every other line exactly as it was, which the
// platform's settings classes cannot promise.
class IniDocument
{
public:
    struct Entry
    {
        QString key;
        QString text;
    };

    enum class Encoding { Utf8, Utf8Bom, Utf16LE, Utf16BE };

    // Accepts UTF-8 (with or without byte-order mark) and UTF-16 with a
    // byte-order mark. Anything else is read as UTF-8 with replacement
    // characters, so a binary file yields garbage entries, never a failure.
    static IniDocument fromBytes(const QByteArray &bytes);
    // A missing or unreadable file gives an empty document.
    // Read through the guarded reader, at most MaxFileBytes of it.
    static IniDocument fromFile(const QString &path);
    static constexpr qint64 MaxFileBytes = 4 * 1024 * 1024;

    // Section names in file order; a name that appears twice is listed once.
    QStringList sectionNames() const;
    // Every line of the section (all its occurrences, in file order), each
    // split at its first "="; a line without "=" is key and text at once.
    QList<Entry> entries(const QString &section) const;
    bool contains(const QString &section, const QString &key) const;
    QString value(const QString &section, const QString &key,
                  const QString &fallback = QString()) const;

    void setValue(const QString &section, const QString &key, const QString &value);

    QByteArray toBytes() const;
    // Written through a temporary file renamed into place: a failed or
    // interrupted write leaves the old file whole.
    bool save(const QString &path) const;

    Encoding encoding() const { return m_encoding; }

private:
    static bool isComment(const QString &trimmed);
    static bool sectionHeader(const QString &trimmed, QString *name);
    static Entry splitEntry(const QString &trimmed);

    QStringList m_lines;
    Encoding m_encoding = Encoding::Utf8;
    bool m_crlf = false;
};
