#include "DvdTitleMap.h"

#include "disc/DvdRead.h"

#include <cstdarg>
#include <cstdio>

namespace {

using Reader = DvdReader;
using Ifo = DvdIfo;

double Seconds(const dvd_time_t& time)
{
    return DvdTimeSeconds(time);
}

std::string Language(uint16_t code)
{
    const char text[] = {char(code >> 8), char(code & 0xFF), 0};
    return code >= 0x6161 && code <= 0x7A7A ? text : "";
}

// The cells of one program chain in playing order; of an angle block only
// the first angle is played, as a player without angle choice does.
void AddCells(const pgc_t& chain, DvdTitleMap& map)
{
    for (int cell = 0; cell < chain.nr_of_cells; ++cell) {
        const cell_playback_t& playback = chain.cell_playback[cell];
        if (playback.block_type == BLOCK_TYPE_ANGLE_BLOCK && playback.block_mode != 1)
            continue;
        map.cells.emplace_back(playback.first_sector, playback.last_sector);
    }
    map.seconds += Seconds(chain.playback_time);
}

void AddLanguages(const ifo_handle_t& titleSet, DvdTitleMap& map)
{
    const vtsi_mat_t* info = titleSet.vtsi_mat;
    if (!info)
        return;
    for (int i = 0; i < info->nr_of_vts_audio_streams && i < 8; ++i)
        map.audioLanguages.push_back(Language(info->vts_audio_attr[i].lang_code));
    for (int i = 0; i < info->nr_of_vts_subp_streams && i < 32; ++i)
        map.subtitleLanguages.push_back(Language(info->vts_subp_attr[i].lang_code));
}

void LogToStandardError(void*, dvd_logger_level_t, const char* format, va_list arguments)
{
    std::fputs("libdvdread: ", stderr);
    std::vfprintf(stderr, format, arguments);
    std::fputc('\n', stderr);
}

} // namespace

dvd_reader_t* OpenDvdReader(const std::string& device)
{
    static const dvd_logger_cb logger = {&LogToStandardError};
    return DVDOpen2(nullptr, &logger, device.c_str());
}

std::optional<DvdTitleMap> ReadDvdTitleMap(const std::string& device, int title)
{
    const Reader reader(OpenDvdReader(device));
    if (!reader)
        return std::nullopt;
    const Ifo manager(ifoOpen(reader.get(), 0));
    if (!manager || !manager->tt_srpt || title < 1 || title > manager->tt_srpt->nr_of_srpts)
        return std::nullopt;
    const title_info_t& info = manager->tt_srpt->title[title - 1];
    const Ifo titleSet(ifoOpen(reader.get(), info.title_set_nr));
    if (!titleSet || !titleSet->vts_ptt_srpt || !titleSet->vts_pgcit
        || info.vts_ttn < 1 || info.vts_ttn > titleSet->vts_ptt_srpt->nr_of_srpts)
        return std::nullopt;
    DvdTitleMap map;
    map.titleSet = info.title_set_nr;
    // A title plays the chains its parts name, each once, in order.
    const ttu_t& parts = titleSet->vts_ptt_srpt->title[info.vts_ttn - 1];
    int previous = 0;
    for (int i = 0; i < parts.nr_of_ptts; ++i) {
        const int chain = parts.ptt[i].pgcn;
        if (chain == previous)
            continue;
        if (chain < 1 || chain > titleSet->vts_pgcit->nr_of_pgci_srp)
            return std::nullopt;
        AddCells(*titleSet->vts_pgcit->pgci_srp[chain - 1].pgc, map);
        previous = chain;
    }
    AddLanguages(*titleSet, map);
    if (map.cells.empty())
        return std::nullopt;
    return map;
}
