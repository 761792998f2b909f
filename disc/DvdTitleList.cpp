#include "disc/DvdTitleList.h"

#include "disc/DvdRead.h"

#include <QFile>

#include <cstdarg>

namespace {

qint64 Milliseconds(const dvd_time_t& time)
{
    return qint64(DvdTimeSeconds(time) * 1000);
}

// The window reads the disc quietly: what libdvdread has to say of a damaged
// disc is of no use to the user.
void Quiet(void*, dvd_logger_level_t, const char*, va_list) {}

// Where program pgn (from 1) of chain starts, in ms from the chain's start.
qint64 ProgramStart(const pgc_t& chain, int pgn)
{
    if (pgn < 1 || pgn > chain.nr_of_programs || !chain.program_map || !chain.cell_playback)
        return -1;
    const int firstCell = chain.program_map[pgn - 1];
    qint64 start = 0;
    for (int cell = 1; cell < firstCell && cell <= chain.nr_of_cells; ++cell) {
        const cell_playback_t& playback = chain.cell_playback[cell - 1];
        if (playback.block_type == BLOCK_TYPE_ANGLE_BLOCK && playback.block_mode != 1)
            continue;  // only the first angle plays
        start += Milliseconds(playback.playback_time);
    }
    return start;
}

// The title's chapters and length: its parts name the chains it plays, each
// once, in order.
bool ReadTitle(dvd_reader_t* reader, const title_info_t& info, DvdTitle& title)
{
    const DvdIfo titleSet(ifoOpen(reader, info.title_set_nr));
    if (!titleSet || !titleSet->vts_ptt_srpt || !titleSet->vts_pgcit ||
        info.vts_ttn < 1 || info.vts_ttn > titleSet->vts_ptt_srpt->nr_of_srpts)
        return false;
    const ttu_t& parts = titleSet->vts_ptt_srpt->title[info.vts_ttn - 1];
    const pgcit_t& chains = *titleSet->vts_pgcit;
    int previous = 0;
    qint64 chainOffset = 0, length = 0;
    for (int i = 0; i < parts.nr_of_ptts; ++i) {
        const int chain = parts.ptt[i].pgcn;
        if (chain < 1 || chain > chains.nr_of_pgci_srp || !chains.pgci_srp[chain - 1].pgc)
            return false;
        const pgc_t& pgc = *chains.pgci_srp[chain - 1].pgc;
        if (chain != previous) {
            chainOffset = length;
            length += Milliseconds(pgc.playback_time);
            previous = chain;
        }
        const qint64 start = ProgramStart(pgc, parts.ptt[i].pgn);
        if (start >= 0)
            title.chapters << quint32(chainOffset + start);
    }
    title.seconds = length / 1000;
    return true;
}

} // namespace

double DvdTimeSeconds(const dvd_time_t& time)
{
    const auto fromBcd = [](uint8_t value) { return (value >> 4) * 10 + (value & 0x0F); };
    // The two high bits of the frame byte give the rate: 1 = 25, 3 = 29.97.
    const int rateCode = time.frame_u >> 6;
    const double rate = rateCode == 1 ? 25.0 : rateCode == 3 ? 30000.0 / 1001.0 : 0.0;
    const double frames = rate > 0 ? fromBcd(time.frame_u & 0x3F) / rate : 0.0;
    return fromBcd(time.hour) * 3600.0 + fromBcd(time.minute) * 60.0 + fromBcd(time.second) + frames;
}

DvdDisc ReadDvdDisc(const QString& location)
{
    static const dvd_logger_cb logger = {&Quiet};
    DvdDisc disc;
    const DvdReader reader(DVDOpen2(nullptr, &logger, QFile::encodeName(location).constData()));
    if (!reader)
        return disc;
    const DvdIfo manager(ifoOpen(reader.get(), 0));
    if (!manager || !manager->tt_srpt)
        return disc;
    for (int n = 1; n <= manager->tt_srpt->nr_of_srpts; ++n) {
        DvdTitle title;
        title.number = n;
        if (ReadTitle(reader.get(), manager->tt_srpt->title[n - 1], title))
            disc.titles << title;
    }
    unsigned char digest[16] = {};
    if (DVDDiscID(reader.get(), digest) == 0)
        disc.identity = "dvd:" + QByteArray(reinterpret_cast<const char*>(digest), sizeof digest).toHex();
    return disc;
}

QList<DvdTitle> ReadDvdTitles(const QString& location)
{
    return ReadDvdDisc(location).titles;
}
