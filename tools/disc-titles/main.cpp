// disc-titles FOLDER: prints what the player reads from a Blu-ray folder as JSON.
//
// The text is written directly rather than through QJsonDocument, which on a
// disc of 2,000 playlists takes longer to build and format the document than
// the disc takes to read; for the same reason there is no QCoreApplication.

#include "disc/BlurayTitleList.h"

#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// A JSON string: UTF-8 with quotes, backslashes and control characters escaped.
void AppendString(QByteArray& out, const QString& text)
{
    static const char kHex[] = "0123456789abcdef";
    const QByteArray utf8 = text.toUtf8();
    out += '"';
    if (std::none_of(utf8.cbegin(), utf8.cend(),
                     [](char c) { return c == '"' || c == '\\' || uchar(c) < 0x20; })) {
        out += utf8 + '"';
        return;
    }
    for (const char c : utf8) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (uchar(c) < 0x20) {
            out += "\\u00";
            out += kHex[uchar(c) >> 4];
            out += kHex[uchar(c) & 0xF];
        } else {
            out += c;
        }
    }
    out += '"';
}

void AppendKey(QByteArray& out, const char* key)
{
    out += '"';
    out += key;
    out += "\": ";
}

void AppendStrings(QByteArray& out, const QList<STREAM_INFO>& streams)
{
    out += '[';
    for (qsizetype i = 0; i < streams.size(); ++i) {
        if (i > 0)
            out += ", ";
        AppendString(out, streams[i].description);
    }
    out += ']';
}

void AppendNumbers(QByteArray& out, const QList<quint32>& numbers)
{
    out += '[';
    for (qsizetype i = 0; i < numbers.size(); ++i) {
        if (i > 0)
            out += ", ";
        out += QByteArray::number(numbers[i]);
    }
    out += ']';
}

void AppendItems(QByteArray& out, const QList<PLAY_ITEM_INFO>& items)
{
    out += '[';
    for (qsizetype i = 0; i < items.size(); ++i) {
        const PLAY_ITEM_INFO& item = items[i];
        out += i > 0 ? ", {" : "{";
        AppendKey(out, "clip");
        AppendString(out, item.clipName);
        out += ", \"inMs\": " + QByteArray::number(item.inMs);
        out += ", \"offsetMs\": " + QByteArray::number(item.offsetMs);
        out += ", \"durationMs\": " + QByteArray::number(item.durationMs) + '}';
    }
    out += ']';
}

// One line per playlist file.
void AppendFile(QByteArray& out, const BlurayPlaylistFile& file)
{
    out += "    {";
    AppendKey(out, "file");
    AppendString(out, file.fileName);
    out += ", \"code\": " + QByteArray::number(file.code) + ", ";
    AppendKey(out, "items");
    AppendItems(out, file.playItems);
    out += ", ";
    AppendKey(out, "chapters");
    AppendNumbers(out, file.chapters);
    out += ", ";
    AppendKey(out, "audio");
    AppendStrings(out, file.audio);
    out += ", ";
    AppendKey(out, "subtitles");
    AppendStrings(out, file.subtitles);
    out += '}';
}

// One line per title, in the disc page's order.
void AppendTitle(QByteArray& out, const BlurayTitle& title)
{
    out += "    {\"number\": " + QByteArray::number(title.number) + ", ";
    AppendKey(out, "file");
    AppendString(out, title.fileName);
    out += ", ";
    AppendKey(out, "duration");
    AppendString(out, title.durationText);
    out += ", \"seconds\": " + QByteArray::number(title.durationSeconds);
    out += ", \"digest\": \"" + title.digest + "\"}";
}

// The episodes of a series disc: its shape and, per episode, where it starts.
void AppendEpisodes(QByteArray& out, const BlurayEpisodes& found)
{
    static const char* const kShapes[] = {"none", "separate playlists", "one playlist"};
    out += "{\"shape\": \"";
    out += kShapes[found.shape];
    out += "\", \"list\": [";
    for (qsizetype i = 0; i < found.episodes.size(); ++i) {
        const BlurayEpisode& episode = found.episodes[i];
        out += i > 0 ? ",\n    {" : "\n    {";
        AppendKey(out, "file");
        AppendString(out, QFileInfo(episode.playlistPath).fileName());
        out += ", \"number\": " + QByteArray::number(episode.titleNumber);
        out += ", \"startMs\": " + QByteArray::number(episode.startMs);
        out += ", \"durationMs\": " + QByteArray::number(episode.durationMs) + '}';
    }
    out += found.episodes.isEmpty() ? "]}" : "\n  ]}";
}

QByteArray DiscJson(const BlurayDisc& disc)
{
    QByteArray out;
    out.reserve(256 + 1024 * disc.files.size());
    out += "{\n  \"disc\": {";
    AppendKey(out, "name");
    AppendString(out, disc.name);
    out += ", ";
    AppendKey(out, "thumbnail");
    AppendString(out, disc.thumbnail);
    out += ", \"identity\": \"" + disc.identity + '"';
    out += "},\n  \"files\": [";
    for (qsizetype i = 0; i < disc.files.size(); ++i) {
        out += i > 0 ? ",\n" : "\n";
        AppendFile(out, disc.files[i]);
    }
    out += "\n  ],\n  \"titles\": [";
    for (qsizetype i = 0; i < disc.titles.size(); ++i) {
        out += i > 0 ? ",\n" : "\n";
        AppendTitle(out, disc.titles[i]);
    }
    out += "\n  ],\n  \"episodes\": ";
    AppendEpisodes(out, disc.episodes);
    out += "\n}\n";
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    // "--json" is accepted for scripts that ask for the one format there is.
    if (argc == 3 && std::strcmp(argv[1], "--json") == 0) {
        --argc;
        ++argv;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: disc-titles [--json] FOLDER\n"
                             "Prints the disc name, every playlist file and the titles of the\n"
                             "Blu-ray folder FOLDER (the folder that holds BDMV) as JSON, with\n"
                             "the episodes when its main content is a series.\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QFileInfo(folder).isDir()) {
        std::fprintf(stderr, "disc-titles: not a folder: %s\n", argv[1]);
        return 1;
    }
    const QByteArray json = DiscJson(ReadBlurayDisc(folder));
    std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
    return 0;
}
