#pragma once

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

class DiscFiles;

// One thumbnail a disc's metadata lists: the reference as written there and
// the size it states (invalid when it states none).
struct DiscThumbnail {
    QString reference;
    QSize size;
};

// What one BDMV/META/DL/bdmt_<code>.xml says of the disc, in its language.
struct DiscLibraryMeta {
    QString language;  // "eng", "jpn", ... lower case, from the file's name
    QString name;      // the disc's name, empty when the file gives none
    QList<DiscThumbnail> thumbnails;
};

// The chapter names of one playlist in one language, from
// BDMV/META/TN/tnmt_<code>_<playlist>.xml, in chapter order.
struct DiscChapterNames {
    QString language;
    int playlist = -1;  // 1 for 00001.mpls
    QStringList names;
};

// The disc metadata files' contents. Both are read as plain XML: a document
// that declares a document type (with it, entities that expand or fetch
// something) is refused whole, as is one that is not well-formed. False for
// a refused document; then nothing is filled.
bool ParseDiscLibrary(const QByteArray& xml, DiscLibraryMeta& meta);
bool ParseChapterNames(const QByteArray& xml, QStringList& names);

// Every readable bdmt_<code>.xml of the disc, in listing order, and every
// readable tnmt_<code>_<playlist>.xml. Files of 1 MiB or more are left out.
QList<DiscLibraryMeta> ReadDiscLibraries(const DiscFiles& files);
QList<DiscChapterNames> ReadDiscChapterNames(const DiscFiles& files);

// Which of the languages (in listing order) to show for an interface that
// speaks wanted: wanted itself, else "eng", else the first; -1 for none.
int ChooseMetaLanguage(const QStringList& languages, const QString& wanted);

// The chapter names of playlist (1 for 00001.mpls) in the language
// ChooseMetaLanguage picks among the ones the disc names them in; empty
// when it names none.
QStringList ChapterNamesFor(const QList<DiscChapterNames>& all, int playlist, const QString& wanted);

// The thumbnail that best fills page: the smallest that covers it, else the
// largest (so that none is upscaled more than it has to be); one without a
// stated size counts as smallest. -1 for none.
int ChooseThumbnail(const QList<DiscThumbnail>& thumbnails, const QSize& page);

// The ISO 639-2 code the disc metadata uses for an interface locale name
// ("ja", "zh_CN", "de_DE"): eng, jpn, zho, deu, fra, spa; "eng" for others.
QString MetaLanguageCode(const QString& locale);
