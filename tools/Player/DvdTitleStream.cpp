#include "DvdTitleStream.h"

extern "C" {
#include <dvdread/dvd_reader.h>
}

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int64_t sectorSize = DVD_VIDEO_LB_LEN;

// A sector of a DVD's video objects whose packet is still scrambled: the
// scrambling bits stay set unless the disc's keys took them off. The sector
// is a pack header, then a packet of video, audio or private stream 1, whose
// header holds those bits.
bool ScrambledSector(const unsigned char* sector)
{
    const unsigned char id = sector[17];
    const bool elementary = (id >= 0xC0 && id <= 0xEF) || id == 0xBD;
    return sector[0] == 0 && sector[1] == 0 && sector[2] == 1 && sector[3] == 0xBA && sector[14] == 0
           && sector[15] == 0 && sector[16] == 1 && elementary && (sector[0x14] & 0x30) != 0;
}

// One open stream: the title's cells laid end to end.
class CellReader {
public:
    CellReader(dvd_reader_t* reader, dvd_file_t* file, const DvdTitleMap& map)
        : reader_(reader), file_(file)
    {
        int64_t start = 0;
        for (const auto& [first, last] : map.cells) {
            if (last < first)
                continue;
            starts_.push_back(start);
            firsts_.push_back(first);
            start += int64_t(last - first + 1);
        }
        sectors_ = start;
    }
    ~CellReader()
    {
        DVDCloseFile(file_);
        DVDClose(reader_);
    }
    CellReader(const CellReader&) = delete;
    CellReader& operator=(const CellReader&) = delete;

    int64_t Size() const { return sectors_ * sectorSize; }

    // Any of the title's first sectors still scrambled.
    bool Scrambled()
    {
        constexpr int64_t Looked = 64;
        for (int64_t sector = 0; sector < std::min(Looked, sectors_); ++sector)
            if (Load(sector) && ScrambledSector(cache_))
                return true;
        return false;
    }

    int64_t Seek(int64_t offset)
    {
        if (offset < 0 || offset > Size())
            return MPV_ERROR_GENERIC;
        position_ = offset;
        return position_;
    }

    int64_t Read(char* buffer, uint64_t wanted)
    {
        int64_t done = 0;
        while (done < int64_t(wanted) && position_ < Size()) {
            const int64_t sector = position_ / sectorSize;
            if (sector != cachedSector_ && !Load(sector))
                return done > 0 ? done : -1;
            const int64_t within = position_ % sectorSize;
            const int64_t count = std::min<int64_t>(int64_t(wanted) - done, sectorSize - within);
            std::memcpy(buffer + done, cache_ + within, size_t(count));
            position_ += count;
            done += count;
        }
        return done;
    }

private:
    bool Load(int64_t sector)
    {
        // The last cell whose start is not after the sector.
        const auto cell = std::upper_bound(starts_.begin(), starts_.end(), sector) - starts_.begin() - 1;
        const uint32_t block = firsts_[cell] + uint32_t(sector - starts_[cell]);
        if (DVDReadBlocks(file_, block, 1, cache_) != 1)
            return false;
        cachedSector_ = sector;
        return true;
    }

    dvd_reader_t* reader_;
    dvd_file_t* file_;
    std::vector<int64_t> starts_;     // first stream sector of each cell
    std::vector<uint32_t> firsts_;    // its first disc sector
    int64_t sectors_ = 0;
    int64_t position_ = 0;
    int64_t cachedSector_ = -1;
    unsigned char cache_[DVD_VIDEO_LB_LEN];
};

int64_t ReadCells(void* cookie, char* buffer, uint64_t size)
{
    return static_cast<CellReader*>(cookie)->Read(buffer, size);
}

int64_t SeekCells(void* cookie, int64_t offset)
{
    return static_cast<CellReader*>(cookie)->Seek(offset);
}

int64_t CellsSize(void* cookie) { return static_cast<CellReader*>(cookie)->Size(); }

void CloseCells(void* cookie) { delete static_cast<CellReader*>(cookie); }

} // namespace

int DvdTitleStream::Open(void* userData, char*, mpv_stream_cb_info* info)
{
    auto* title = static_cast<DvdTitleStream*>(userData);
    dvd_reader_t* reader = OpenDvdReader(title->Device());
    if (!reader)
        return MPV_ERROR_LOADING_FAILED;
    dvd_file_t* file = DVDOpenFile(reader, title->Map().titleSet, DVD_READ_TITLE_VOBS);
    if (!file) {
        DVDClose(reader);
        return MPV_ERROR_LOADING_FAILED;
    }
    auto cells = std::make_unique<CellReader>(reader, file, title->Map());
    // Scrambled pictures would only play as noise.
    if (cells->Scrambled()) {
        title->scrambled_ = true;
        return MPV_ERROR_LOADING_FAILED;
    }
    info->cookie = cells.release();
    info->read_fn = &ReadCells;
    info->seek_fn = &SeekCells;
    info->size_fn = &CellsSize;
    info->close_fn = &CloseCells;
    return 0;
}

DvdTitleStream::DvdTitleStream(std::string device, DvdTitleMap map)
    : device_(std::move(device)), map_(std::move(map))
{
}

bool DvdTitleStream::Register(mpv_handle* handle)
{
    return mpv_stream_cb_add_ro(handle, protocol, this, &DvdTitleStream::Open) >= 0;
}
