#include "disc/DiscMetaXml.h"

#include "disc/DiscFiles.h"

#include <QRegularExpression>
#include <QXmlStreamReader>
#include <functional>

namespace {

constexpr qint64 kMetaFileLimit = 1024 * 1024;

// Walks the document's elements, handing each start element to take with
// the local name of its parent. Returns false on a document type
// declaration or an error; nothing is expanded or fetched.
bool WalkElements(const QByteArray& xml,
                  const std::function<void(QXmlStreamReader&, const QString& parent)>& take)
{
    QXmlStreamReader reader(xml);
    QStringList open;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::DTD:
        case QXmlStreamReader::EntityReference:
            return false;
        case QXmlStreamReader::StartElement: {
            const QString parent = open.isEmpty() ? QString() : open.constLast();
            open.append(reader.name().toString());
            take(reader, parent);
            // take may have read the element's text, which ends it.
            if (reader.isEndElement())
                open.removeLast();
            break;
        }
        case QXmlStreamReader::EndElement:
            if (!open.isEmpty())
                open.removeLast();
            break;
        default:
            break;
        }
    }
    return !reader.hasError();
}

QSize SizeOf(QStringView text)
{
    static const QRegularExpression form(QStringLiteral("^\\s*(\\d{1,5})\\s*x\\s*(\\d{1,5})\\s*$"));
    const QRegularExpressionMatch match = form.match(text);
    return match.hasMatch() ? QSize(match.captured(1).toInt(), match.captured(2).toInt()) : QSize();
}

QByteArray ReadMetaFile(const DiscFiles& files, const QString& relative)
{
    int code = 0;
    const std::unique_ptr<DiscFile> file = files.Open(relative, &code);
    if (!file || file->Size() >= kMetaFileLimit)
        return QByteArray();
    return ReadDiscFile(*file, kMetaFileLimit);
}

// The names of the folder's regular files that match form, in listing order.
QList<QRegularExpressionMatch> MatchingFiles(const DiscFiles& files, const QString& folder,
                                             const QRegularExpression& form)
{
    QList<DIR_ENTRY_INFO> entries;
    files.List(folder, entries);
    QList<QRegularExpressionMatch> matches;
    for (const DIR_ENTRY_INFO& entry : entries) {
        const QRegularExpressionMatch match = form.match(EntryName(entry.path));
        if (!entry.isDirectory && match.hasMatch())
            matches.append(match);
    }
    return matches;
}

} // namespace

bool ParseDiscLibrary(const QByteArray& xml, DiscLibraryMeta& meta)
{
    DiscLibraryMeta read;
    const bool ok = WalkElements(xml, [&read](QXmlStreamReader& reader, const QString& parent) {
        const QStringView name = reader.name();
        if (parent == QLatin1String("title") && name == QLatin1String("name")) {
            read.name = reader.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        } else if (parent == QLatin1String("description") && name == QLatin1String("thumbnail")) {
            const QXmlStreamAttributes attributes = reader.attributes();
            const QString href = attributes.value(QLatin1String("href")).toString();
            if (!href.isEmpty())
                read.thumbnails.append({href, SizeOf(attributes.value(QLatin1String("size")))});
        }
    });
    if (!ok)
        return false;
    read.language = meta.language;
    meta = read;
    return true;
}

bool ParseChapterNames(const QByteArray& xml, QStringList& names)
{
    QStringList read;
    const bool ok = WalkElements(xml, [&read](QXmlStreamReader& reader, const QString& parent) {
        if (parent == QLatin1String("chapters") && reader.name() == QLatin1String("name"))
            read.append(reader.readElementText(QXmlStreamReader::IncludeChildElements).trimmed());
    });
    if (ok)
        names = read;
    return ok;
}

QList<DiscLibraryMeta> ReadDiscLibraries(const DiscFiles& files)
{
    static const QRegularExpression form(QStringLiteral("^bdmt_([A-Za-z]{3})\\.xml$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QString folder = QStringLiteral("BDMV/META/DL");
    QList<DiscLibraryMeta> libraries;
    for (const QRegularExpressionMatch& match : MatchingFiles(files, folder, form)) {
        DiscLibraryMeta meta;
        meta.language = match.captured(1).toLower();
        if (ParseDiscLibrary(ReadMetaFile(files, ChildPath(folder, match.captured(0))), meta))
            libraries.append(meta);
    }
    return libraries;
}

QList<DiscChapterNames> ReadDiscChapterNames(const DiscFiles& files)
{
    static const QRegularExpression form(QStringLiteral("^tnmt_([A-Za-z]{3})_(\\d{5})\\.xml$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QString folder = QStringLiteral("BDMV/META/TN");
    QList<DiscChapterNames> all;
    for (const QRegularExpressionMatch& match : MatchingFiles(files, folder, form)) {
        DiscChapterNames names;
        names.language = match.captured(1).toLower();
        names.playlist = match.captured(2).toInt();
        if (ParseChapterNames(ReadMetaFile(files, ChildPath(folder, match.captured(0))), names.names))
            all.append(names);
    }
    return all;
}

int ChooseMetaLanguage(const QStringList& languages, const QString& wanted)
{
    for (const QString& choice : {wanted, QStringLiteral("eng")}) {
        const int at = int(languages.indexOf(choice));
        if (at >= 0)
            return at;
    }
    return languages.isEmpty() ? -1 : 0;
}

QStringList ChapterNamesFor(const QList<DiscChapterNames>& all, int playlist, const QString& wanted)
{
    QList<const DiscChapterNames*> ofPlaylist;
    QStringList languages;
    for (const DiscChapterNames& names : all) {
        if (names.playlist == playlist) {
            ofPlaylist << &names;
            languages << names.language;
        }
    }
    const int chosen = ChooseMetaLanguage(languages, wanted);
    return chosen < 0 ? QStringList() : ofPlaylist[chosen]->names;
}

int ChooseThumbnail(const QList<DiscThumbnail>& thumbnails, const QSize& page)
{
    const auto area = [](const QSize& size) { return size.isValid() ? qint64(size.width()) * size.height() : 0; };
    int covering = -1;
    int largest = -1;
    for (int i = 0; i < thumbnails.size(); ++i) {
        const QSize size = thumbnails[i].size;
        if (largest < 0 || area(size) > area(thumbnails[largest].size))
            largest = i;
        const bool covers = size.isValid() && size.width() >= page.width() && size.height() >= page.height();
        if (covers && (covering < 0 || area(size) < area(thumbnails[covering].size)))
            covering = i;
    }
    return covering >= 0 ? covering : largest;
}

QString MetaLanguageCode(const QString& locale)
{
    static const struct { const char* prefix; const char* code; } table[] = {
        {"en", "eng"}, {"ja", "jpn"}, {"zh", "zho"}, {"de", "deu"}, {"fr", "fra"}, {"es", "spa"},
    };
    const QString language = locale.section(QLatin1Char('_'), 0, 0).section(QLatin1Char('-'), 0, 0);
    for (const auto& row : table) {
        if (language == QLatin1String(row.prefix))
            return QLatin1String(row.code);
    }
    return QStringLiteral("eng");
}
