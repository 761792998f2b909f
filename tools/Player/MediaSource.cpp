#include "MediaSource.h"

#include "disc/BlurayTitleList.h"

#include <QString>

namespace {

// libmpv counts DVD titles from 0, the command line from 1.
MediaSource DvdSource(const Medium& medium)
{
    return {"dvd://" + std::to_string(medium.title - 1), {{"dvd-device", medium.path}}, {}};
}

// The title number is the one the disc page shows, so it is looked up in
// the same title list rather than in libbluray's own numbering, which
// counts playlists differently (it neither drops byte-identical copies nor
// orders them the same way).
MediaSource BluraySource(const Medium& medium)
{
    const BlurayDisc disc = ReadBlurayDisc(QString::fromStdString(medium.path));
    const BlurayTitle* title = FindBlurayTitle(disc, medium.title);
    if (!title)
        return {{}, {}, "no title " + std::to_string(medium.title) + " on the disc in '" + medium.path + "'"};
    const int playlist = title->fileName.section('.', 0, 0).toInt();
    return {"bd://mpls/" + std::to_string(playlist), {{"bluray-device", medium.path}}, {}};
}

MediaSource FileSource(const Medium& medium, const std::string& demuxer)
{
    MediaSource source{medium.path, {}, {}};
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
