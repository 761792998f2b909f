// libFuzzer target: any bytes as a playlist. The input buffer is exactly as
// large as the input, so AddressSanitizer catches any read past it.

#include "disc/MplsReader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CMplsReader reader;
    QList<PLAY_ITEM_INFO> items;
    QList<STREAM_INFO> subtitles, audio;
    QList<quint32> chapters;
    const int code = reader.ReadBytes(reinterpret_cast<const char*>(data), qint64(size), items,
                                      subtitles, audio, chapters);
    if (code != 0 && !(items.isEmpty() && subtitles.isEmpty() && audio.isEmpty() && chapters.isEmpty()))
        std::abort();  // a failed read delivers nothing
    quint32 offset = 0;
    for (const PLAY_ITEM_INFO& item : items) {
        if (item.offsetMs != offset || item.clipName.size() > 10)
            std::abort();
        offset += item.durationMs;
    }
    return 0;
}
