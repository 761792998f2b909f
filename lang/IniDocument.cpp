#include "lang/IniDocument.h"

#include "platform/AtomicFile.h"
#include "platform/GuardedFile.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace {

QString decode(const QByteArray &bytes, IniDocument::Encoding *encoding)
{
    auto startsWith = [&bytes](std::initializer_list<unsigned char> bom) {
        if (bytes.size() < int(bom.size()))
            return false;
        int i = 0;
        for (unsigned char b : bom)
            if (static_cast<unsigned char>(bytes[i++]) != b)
                return false;
        return true;
    };
    if (startsWith({0xFF, 0xFE})) {
        *encoding = IniDocument::Encoding::Utf16LE;
        QStringDecoder decoder(QStringConverter::Utf16LE);
        return decoder(bytes.mid(2));
    }
    if (startsWith({0xFE, 0xFF})) {
        *encoding = IniDocument::Encoding::Utf16BE;
        QStringDecoder decoder(QStringConverter::Utf16BE);
        return decoder(bytes.mid(2));
    }
    if (startsWith({0xEF, 0xBB, 0xBF})) {
        *encoding = IniDocument::Encoding::Utf8Bom;
        return QString::fromUtf8(bytes.mid(3));
    }
    *encoding = IniDocument::Encoding::Utf8;
    return QString::fromUtf8(bytes);
}

} // namespace

IniDocument IniDocument::fromBytes(const QByteArray &bytes)
{
    IniDocument doc;
    const QString text = decode(bytes, &doc.m_encoding);
    doc.m_crlf = text.contains(QLatin1String("\r\n"));
    doc.m_lines = text.split(QLatin1Char('\n'));
    for (QString &line : doc.m_lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    // A file that ends in a line break does not have an extra empty line.
    if (!doc.m_lines.isEmpty() && doc.m_lines.last().isEmpty())
        doc.m_lines.removeLast();
    return doc;
}

IniDocument IniDocument::fromFile(const QString &path)
{
    // The shipped files are a few kilobytes; what lies beyond the bound
    // holds no text a line limit would keep anyway.
    return fromBytes(GuardedFile::Bytes(path, MaxFileBytes));
}

bool IniDocument::isComment(const QString &trimmed)
{
    return trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';'))
        || trimmed.startsWith(QLatin1Char('#'));
}

bool IniDocument::sectionHeader(const QString &trimmed, QString *name)
{
    if (!trimmed.startsWith(QLatin1Char('[')))
        return false;
    const int close = trimmed.indexOf(QLatin1Char(']'));
    if (close < 0)
        return false;
    *name = trimmed.mid(1, close - 1).trimmed();
    return true;
}

IniDocument::Entry IniDocument::splitEntry(const QString &trimmed)
{
    const int eq = trimmed.indexOf(QLatin1Char('='));
    if (eq < 0)
        return {trimmed, trimmed};
    return {trimmed.left(eq).trimmed(), trimmed.mid(eq + 1).trimmed()};
}

QStringList IniDocument::sectionNames() const
{
    QStringList names;
    QString name;
    for (const QString &line : m_lines)
        if (sectionHeader(line.trimmed(), &name) && !names.contains(name))
            names.append(name);
    return names;
}

QList<IniDocument::Entry> IniDocument::entries(const QString &section) const
{
    QList<Entry> result;
    bool inside = false;
    QString name;
    for (const QString &line : m_lines) {
        const QString trimmed = line.trimmed();
        if (sectionHeader(trimmed, &name))
            inside = (name == section);
        else if (inside && !isComment(trimmed))
            result.append(splitEntry(trimmed));
    }
    return result;
}

bool IniDocument::contains(const QString &section, const QString &key) const
{
    const QList<Entry> list = entries(section);
    return std::any_of(list.begin(), list.end(),
                       [&key](const Entry &e) { return e.key == key; });
}

QString IniDocument::value(const QString &section, const QString &key,
                           const QString &fallback) const
{
    for (const Entry &e : entries(section))
        if (e.key == key)
            return e.text;
    return fallback;
}

void IniDocument::setValue(const QString &section, const QString &key, const QString &value)
{
    const QString newLine = key + QLatin1Char('=') + value;
    int sectionStart = -1;
    int insertAt = -1;
    bool inside = false;
    QString name;
    for (int i = 0; i < m_lines.size(); ++i) {
        const QString trimmed = m_lines[i].trimmed();
        if (sectionHeader(trimmed, &name)) {
            inside = (name == section);
            if (inside && sectionStart < 0) {
                sectionStart = i;
                insertAt = i + 1;
            }
            continue;
        }
        if (!inside || isComment(trimmed))
            continue;
        if (splitEntry(trimmed).key == key) {
            m_lines[i] = newLine;
            return;
        }
        insertAt = i + 1;
    }
    if (sectionStart >= 0) {
        m_lines.insert(insertAt, newLine);
        return;
    }
    if (!m_lines.isEmpty() && !m_lines.last().trimmed().isEmpty())
        m_lines.append(QString());
    m_lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
    m_lines.append(newLine);
}

QByteArray IniDocument::toBytes() const
{
    const QString eol = m_crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QString text;
    for (const QString &line : m_lines)
        text += line + eol;
    switch (m_encoding) {
    case Encoding::Utf16LE: {
        QStringEncoder encoder(QStringConverter::Utf16LE);
        return QByteArray("\xFF\xFE", 2) + QByteArray(encoder(text));
    }
    case Encoding::Utf16BE: {
        QStringEncoder encoder(QStringConverter::Utf16BE);
        return QByteArray("\xFE\xFF", 2) + QByteArray(encoder(text));
    }
    case Encoding::Utf8Bom:
        return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    case Encoding::Utf8:
        break;
    }
    return text.toUtf8();
}

bool IniDocument::save(const QString &path) const
{
    return WriteFileAtomically(path, toBytes());
}
