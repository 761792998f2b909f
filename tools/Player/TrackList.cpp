#include "TrackList.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

struct NodeContents {
    mpv_node node{};
    ~NodeContents() { mpv_free_node_contents(&node); }
};

const mpv_node* Field(const mpv_node& map, const char* key)
{
    if (map.format != MPV_FORMAT_NODE_MAP)
        return nullptr;
    for (int i = 0; i < map.u.list->num; ++i)
        if (std::strcmp(map.u.list->keys[i], key) == 0)
            return &map.u.list->values[i];
    return nullptr;
}

std::string TextField(const mpv_node& map, const char* key)
{
    const mpv_node* value = Field(map, key);
    return value && value->format == MPV_FORMAT_STRING ? value->u.string : "";
}

long long NumberField(const mpv_node& map, const char* key, long long fallback)
{
    const mpv_node* value = Field(map, key);
    return value && value->format == MPV_FORMAT_INT64 ? value->u.int64 : fallback;
}

bool KindOf(const std::string& type, StreamInfo::Kind& kind)
{
    if (type == "video")
        kind = StreamInfo::Kind::Video;
    else if (type == "audio")
        kind = StreamInfo::Kind::Audio;
    else if (type == "sub")
        kind = StreamInfo::Kind::Subtitle;
    else
        return false;
    return true;
}

} // namespace

std::vector<StreamInfo> ReadTrackList(mpv_handle* handle)
{
    std::vector<StreamInfo> streams;
    NodeContents list;
    if (mpv_get_property(handle, "track-list", MPV_FORMAT_NODE, &list.node) < 0
        || list.node.format != MPV_FORMAT_NODE_ARRAY)
        return streams;
    for (int i = 0; i < list.node.u.list->num; ++i) {
        const mpv_node& track = list.node.u.list->values[i];
        StreamInfo stream;
        if (!KindOf(TextField(track, "type"), stream.kind))
            continue;
        stream.trackId = NumberField(track, "id", 0);
        stream.containerIndex = static_cast<int>(NumberField(track, "ff-index", -1));
        stream.sourceId = NumberField(track, "src-id", -1);
        stream.codec = TextField(track, "codec");
        const mpv_node* selected = Field(track, "selected");
        stream.selected = selected && selected->format == MPV_FORMAT_FLAG && selected->u.flag;
        stream.width = static_cast<int>(NumberField(track, "demux-w", 0));
        stream.height = static_cast<int>(NumberField(track, "demux-h", 0));
        const mpv_node* fps = Field(track, "demux-fps");
        stream.fps = fps && fps->format == MPV_FORMAT_DOUBLE ? fps->u.double_ : 0.0;
        stream.language = TextField(track, "lang");
        streams.push_back(stream);
    }
    return streams;
}

long long TrackId(const std::vector<StreamInfo>& streams, StreamInfo::Kind kind, int index)
{
    int count = 0;
    for (const StreamInfo& stream : streams)
        if (stream.kind == kind && count++ == index)
            return stream.trackId;
    return 0;
}

void ArrangeAsPlaylist(std::vector<StreamInfo>& streams, StreamInfo::Kind kind, const std::vector<int>& pids)
{
    std::vector<StreamInfo> offered;
    for (const int pid : pids) {
        const auto found = std::find_if(streams.begin(), streams.end(), [&](const StreamInfo& stream) {
            return stream.kind == kind && pid > 0 && stream.sourceId == pid;
        });
        if (found != streams.end())
            offered.push_back(*found);
    }
    if (offered.empty())
        return;
    // The other kinds keep their places; this kind's streams follow them.
    streams.erase(std::remove_if(streams.begin(), streams.end(),
                                 [kind](const StreamInfo& stream) { return stream.kind == kind; }),
                  streams.end());
    streams.insert(streams.end(), offered.begin(), offered.end());
}

void NameDvdStreams(const DvdTitleMap& title, std::vector<StreamInfo>& streams)
{
    for (StreamInfo& stream : streams) {
        if (!stream.language.empty() || stream.sourceId < 0)
            continue;
        const long long id = stream.sourceId;
        // Program stream ids carry the DVD's stream number in their low bits:
        // 0x80.. AC-3, 0x88.. DTS, 0xA0.. LPCM, 0xC0.. MPEG audio, 0x20.. subpictures.
        if (stream.kind == StreamInfo::Kind::Audio) {
            const bool dvdAudio = (id >= 0x80 && id < 0x90) || (id >= 0xA0 && id < 0xA8) || (id >= 0xC0 && id < 0xC8);
            const std::size_t number = std::size_t(id & 0x07);
            if (dvdAudio && number < title.audioLanguages.size())
                stream.language = title.audioLanguages[number];
        } else if (stream.kind == StreamInfo::Kind::Subtitle && id >= 0x20 && id < 0x40) {
            const std::size_t number = std::size_t(id - 0x20);
            if (number < title.subtitleLanguages.size())
                stream.language = title.subtitleLanguages[number];
        }
    }
}
