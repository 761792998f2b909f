// disc-titles FOLDER: prints what the player reads from a Blu-ray folder as JSON.

#include "disc/BlurayTitleList.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace {

QJsonArray Descriptions(const QList<STREAM_INFO>& streams)
{
    QJsonArray array;
    for (const STREAM_INFO& stream : streams)
        array.append(stream.description);
    return array;
}

QJsonArray Chapters(const QList<quint32>& chapters)
{
    QJsonArray array;
    for (const quint32 ms : chapters)
        array.append(qint64(ms));
    return array;
}

QJsonArray Items(const QList<PLAY_ITEM_INFO>& items)
{
    QJsonArray array;
    for (const PLAY_ITEM_INFO& item : items) {
        array.append(QJsonObject{{"clip", item.clipName},
                                 {"inMs", qint64(item.inMs)},
                                 {"offsetMs", qint64(item.offsetMs)},
                                 {"durationMs", qint64(item.durationMs)}});
    }
    return array;
}

QJsonObject DiscJson(const BlurayDisc& disc)
{
    QJsonArray files;
    for (const BlurayPlaylistFile& file : disc.files) {
        files.append(QJsonObject{{"file", file.fileName},
                                 {"code", file.code},
                                 {"items", Items(file.playItems)},
                                 {"chapters", Chapters(file.chapters)},
                                 {"audio", Descriptions(file.audio)},
                                 {"subtitles", Descriptions(file.subtitles)}});
    }
    QJsonArray titles;
    for (const BlurayTitle& title : disc.titles) {
        titles.append(QJsonObject{{"number", title.number},
                                  {"file", title.fileName},
                                  {"duration", title.durationText},
                                  {"seconds", title.durationSeconds},
                                  {"digest", QString::fromLatin1(title.digest)}});
    }
    return QJsonObject{{"disc", QJsonObject{{"name", disc.name}, {"thumbnail", disc.thumbnail}}},
                       {"files", files},
                       {"titles", titles}};
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 2) {
        std::fprintf(stderr, "usage: disc-titles FOLDER\n"
                             "Prints the disc name, every playlist file and the titles of the\n"
                             "Blu-ray folder FOLDER (the folder that holds BDMV) as JSON.\n");
        return 2;
    }
    const QString folder = arguments.at(1);
    if (!QFileInfo(folder).isDir()) {
        std::fprintf(stderr, "disc-titles: not a folder: %s\n", qPrintable(folder));
        return 1;
    }
    const QByteArray json = QJsonDocument(DiscJson(ReadBlurayDisc(folder))).toJson(QJsonDocument::Indented);
    std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
    return 0;
}
