#include "MediaSource.h"

#include "DvdTitleStream.h"

#include "disc/BlurayTitleList.h"

#include <QString>

namespace {

MediaSource DvdSource(const Medium& medium)
{
    MediaSource source;
    source.dvdTitle = ReadDvdTitleMap(medium.path, medium.title);
    if (!source.dvdTitle) {
        source.error = "no title " + std::to_string(medium.title) + " on the DVD in '" + medium.path + "'";
        return source;
    }
    source.url = std::string(DvdTitleStream::protocol) + "://" + std::to_string(medium.title);
    source.seconds = source.dvdTitle->seconds;
    source.options = {{"demuxer", "lavf"}, {"demuxer-lavf-format", "mpeg"}};
    return source;
}

// The title number is the one the disc page shows, so it is looked up in
// the same title list rather than in libbluray's own numbering, which
// counts playlists differently (it neither drops byte-identical copies nor
// orders them the same way).
MediaSource BluraySource(const Medium& medium)
{
    const BlurayDisc disc = ReadBlurayDisc(QString::fromStdString(medium.path));
    const BlurayTitle* title = FindBlurayTitle(disc, medium.title);
    if (!title) {
        MediaSource missing;
        missing.error = "no title " + std::to_string(medium.title) + " on the disc in '" + medium.path + "'";
        return missing;
    }
    const int playlist = title->fileName.section('.', 0, 0).toInt();
    MediaSource source;
    source.url = "bd://mpls/" + std::to_string(playlist);
    source.options = {{"bluray-device", medium.path}};
    for (const STREAM_INFO& stream : title->audio)
        source.audioPids.push_back(stream.pid);
    for (const STREAM_INFO& stream : title->subtitles)
        source.subtitlePids.push_back(stream.pid);
    return source;
}

MediaSource FileSource(const Medium& medium, const std::string& demuxer)
{
    MediaSource source;
    source.url = medium.path;
    // A forced demuxer applies to files only: disc streams are read by
    // libmpv's disc layer, which picks its demuxer itself.
    if (!demuxer.empty())
        source.options.emplace_back("demuxer", demuxer);
    return source;
}

} // namespace

MediaSource ResolveMedium(const Medium& medium, const std::string& demuxer)
{
    switch (medium.kind) {
    case MediumKind::Dvd:
        return DvdSource(medium);
    case MediumKind::Bluray:
        return BluraySource(medium);
    case MediumKind::File:
        break;
    }
    return FileSource(medium, demuxer);
}
