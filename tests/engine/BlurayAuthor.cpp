#include "BlurayAuthor.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

namespace {

constexpr int packetSize = 192;          // 4-byte arrival time stamp + 188-byte TS packet
constexpr quint16 videoPid = 0x1011;
constexpr quint16 pmtPid = 0x0100;

// Big-endian fields, with a bit writer for the packed ones.
class Bytes {
public:
    void U8(quint32 v) { data_.append(char(v & 0xFF)); }
    void U16(quint32 v) { U8(v >> 8); U8(v); }
    void U32(quint32 v) { U16(v >> 16); U16(v); }
    void Text(const char* text, int size) { data_.append(QByteArray(text, size)); }
    void Zeros(int count) { data_.append(QByteArray(count, '\0')); }
    void Bits(quint64 value, int count)
    {
        for (int i = count - 1; i >= 0; --i) {
            bitBuffer_ = (bitBuffer_ << 1) | ((value >> i) & 1);
            if (++bitCount_ == 8) {
                U8(bitBuffer_);
                bitBuffer_ = bitCount_ = 0;
            }
        }
    }
    void Append(const QByteArray& bytes) { data_.append(bytes); }
    int Size() const { return data_.size(); }
    void Patch32(int at, quint32 v) { qToBigEndian(v, data_.data() + at); }
    void Patch16(int at, quint16 v) { qToBigEndian(v, data_.data() + at); }
    const QByteArray& Data() const { return data_; }

private:
    QByteArray data_;
    quint32 bitBuffer_ = 0;
    int bitCount_ = 0;
};

struct EntryPoint {
    quint32 packet;   // source packet number
    quint64 pts;      // 90 kHz
};

struct ClipScan {
    QList<EntryPoint> entries;    // video random access points
    QList<quint16> audioPids;
    quint32 packets = 0;
    quint64 firstPts = 0, lastPts = 0;
};

quint64 ReadPts(const uchar* p)
{
    return (quint64(p[0] >> 1 & 0x07) << 30) | (quint64(p[1]) << 22) | (quint64(p[2] >> 1) << 15)
           | (quint64(p[3]) << 7) | (p[4] >> 1);
}

// Finds the packets where a video key frame starts (FFmpeg marks them with
// the random access indicator) and the audio PIDs.
bool ScanClip(const QByteArray& m2ts, ClipScan& scan)
{
    if (m2ts.size() % packetSize != 0)
        return false;
    scan.packets = m2ts.size() / packetSize;
    bool first = true;
    for (quint32 n = 0; n < scan.packets; ++n) {
        const uchar* ts = reinterpret_cast<const uchar*>(m2ts.constData()) + n * packetSize + 4;
        if (ts[0] != 0x47)
            return false;
        const bool start = ts[1] & 0x40;
        const quint16 pid = ((ts[1] & 0x1F) << 8) | ts[2];
        const int control = ts[3] >> 4 & 0x03;
        int payload = 4;
        bool randomAccess = false;
        if (control & 0x02) {
            randomAccess = ts[4] > 0 && (ts[5] & 0x40);
            payload += 1 + ts[4];
        }
        if (pid >= 0x1100 && pid < 0x1120 && !scan.audioPids.contains(pid))
            scan.audioPids << pid;
        if (pid != videoPid || !start || payload + 14 > 188)
            continue;
        const uchar* pes = ts + payload;
        if (pes[0] != 0 || pes[1] != 0 || pes[2] != 1 || !(pes[7] & 0x80))
            continue;
        const quint64 pts = ReadPts(pes + 9);
        if (first) {
            scan.firstPts = pts;
            first = false;
        }
        scan.lastPts = qMax(scan.lastPts, pts);
        if (randomAccess)
            scan.entries << EntryPoint{n, pts};
    }
    std::sort(scan.audioPids.begin(), scan.audioPids.end());
    return !scan.entries.isEmpty();
}

quint32 To45k(quint64 pts90) { return quint32(pts90 / 2); }

void StreamEntry(Bytes& b, quint16 pid)
{
    b.U8(9);          // length
    b.U8(1);          // a stream of the play item's own clip
    b.U16(pid);
    b.Zeros(6);
}

void VideoAttributes(Bytes& b)
{
    b.U8(5);
    b.U8(0x1B);       // H.264
    b.Bits(3, 4);     // 480p, the nearest listed format
    b.Bits(3, 4);     // 25 frames a second
    b.Zeros(3);
}

void AudioAttributes(Bytes& b, const QString& language)
{
    b.U8(5);
    b.U8(0x81);       // AC-3
    b.Bits(3, 4);     // stereo
    b.Bits(1, 4);     // 48 kHz
    b.Text(language.toLatin1().leftJustified(3, ' ', true).constData(), 3);
}

QByteArray Playlist(const QString& clipName, const ClipScan& scan, const BlurayAuthor::Title& title)
{
    const quint32 in = To45k(scan.firstPts);
    const quint32 out = To45k(scan.lastPts + 3600);   // the last frame lasts 40 ms
    Bytes b;
    b.Text("MPLS0200", 8);
    b.U32(0); b.U32(0); b.U32(0);                      // list, mark, extension start
    b.Zeros(20);
    b.U32(14); b.U8(0); b.U8(1); b.U16(0); b.Zeros(8); b.U16(0);   // AppInfoPlayList
    const int listAt = b.Size();
    b.Patch32(8, listAt);
    b.U32(0);                                          // PlayList length, patched
    b.U16(0); b.U16(1); b.U16(0);                      // one play item, no sub-path
    const int itemAt = b.Size();
    b.U16(0);                                          // PlayItem length, patched
    b.Text(clipName.toLatin1().constData(), 5);
    b.Text("M2TS", 4);
    b.Bits(0, 11); b.Bits(0, 1); b.Bits(1, 4);         // not multi-angle, connection 1
    b.U8(0);                                           // STC id
    b.U32(in); b.U32(out);
    b.Zeros(8);                                        // UO mask
    b.U8(0); b.U8(0); b.U16(0);                        // random access, still mode
    QList<int> offered = title.playlistAudio;
    if (offered.isEmpty()) {
        for (int i = 0; i < scan.audioPids.size(); ++i)
            offered << i;
    }
    const int stnAt = b.Size();
    b.U16(0); b.U16(0);
    b.U8(1); b.U8(offered.size()); b.U8(0); b.U8(0); b.U8(0); b.U8(0); b.U8(0);
    b.Zeros(5);
    StreamEntry(b, videoPid);
    VideoAttributes(b);
    for (const int i : offered) {
        StreamEntry(b, scan.audioPids.value(i));
        AudioAttributes(b, title.audioLanguages.value(i, "und"));
    }
    b.Patch16(stnAt, b.Size() - stnAt - 2);
    b.Patch16(itemAt, b.Size() - itemAt - 2);
    b.Patch32(listAt, b.Size() - listAt - 4);
    const int markAt = b.Size();
    b.Patch32(12, markAt);
    b.U32(2 + 14 * title.chapterSeconds.size());
    b.U16(title.chapterSeconds.size());
    for (const int seconds : title.chapterSeconds) {
        b.U8(0); b.U8(1); b.U16(0);                    // an entry mark in play item 0
        b.U32(in + quint32(seconds) * 45000);
        b.U16(0xFFFF); b.U32(0);
    }
    return b.Data();
}

void EntryPointMap(Bytes& b, const ClipScan& scan)
{
    const int mapAt = b.Size();
    b.U8(0); b.U8(1);                                  // one stream
    b.U16(videoPid);
    b.Bits(0, 10); b.Bits(1, 4);                       // a video stream's map
    b.Bits(scan.entries.size(), 16);                   // coarse entries
    b.Bits(scan.entries.size(), 18);                   // fine entries
    const int startField = b.Size();
    b.U32(0);
    const int streamAt = b.Size();
    b.Patch32(startField, streamAt - mapAt);
    b.U32(4 + 8 * scan.entries.size());                // where the fine entries begin
    // One coarse entry per fine entry keeps the two tables trivially in step.
    for (int i = 0; i < scan.entries.size(); ++i) {
        const quint32 pts = To45k(scan.entries[i].pts);
        b.Bits(i, 18); b.Bits(pts >> 18 & 0x3FFF, 14);
        b.U32(scan.entries[i].packet);
    }
    for (const EntryPoint& entry : scan.entries) {
        const quint32 pts = To45k(entry.pts);
        b.Bits(0, 1); b.Bits(1, 3); b.Bits(pts >> 8 & 0x7FF, 11); b.Bits(entry.packet & 0x1FFFF, 17);
    }
}

QByteArray ClipInformation(const ClipScan& scan, const BlurayAuthor::Title& title)
{
    Bytes b;
    b.Text("HDMV0200", 8);
    b.Zeros(20);                                       // five start addresses, patched
    b.Zeros(12);
    // ClipInfo
    const int clipAt = b.Size();
    b.U32(0);
    b.U16(0); b.U8(1); b.U8(1);                        // main TS of a movie
    b.Bits(0, 31); b.Bits(0, 1);
    b.U32(6000000);                                    // recording rate, bytes a second
    b.U32(scan.packets);
    b.Zeros(128);
    b.U16(30); b.U8(0x80); b.Text("HDMV", 4); b.Zeros(25);   // TS type info
    b.Patch32(clipAt, b.Size() - clipAt - 4);
    // SequenceInfo
    b.Patch32(8, b.Size());
    const int sequenceAt = b.Size();
    b.U32(0); b.U8(0); b.U8(1);
    b.U32(0); b.U8(1); b.U8(0);
    b.U16(videoPid); b.U32(0); b.U32(To45k(scan.firstPts)); b.U32(To45k(scan.lastPts + 3600));
    b.Patch32(sequenceAt, b.Size() - sequenceAt - 4);
    // ProgramInfo
    b.Patch32(12, b.Size());
    const int programAt = b.Size();
    b.U32(0); b.U8(0); b.U8(1);
    b.U32(0); b.U16(pmtPid); b.U8(1 + scan.audioPids.size()); b.U8(0);
    b.U16(videoPid);
    b.U8(5); b.U8(0x1B); b.Bits(3, 4); b.Bits(3, 4); b.Bits(0x2, 4); b.Bits(0, 4); b.Zeros(2);
    for (int i = 0; i < scan.audioPids.size(); ++i) {
        b.U16(scan.audioPids[i]);
        AudioAttributes(b, title.audioLanguages.value(i, "und"));
    }
    b.Patch32(programAt, b.Size() - programAt - 4);
    // CPI with the entry point map
    b.Patch32(16, b.Size());
    const int cpiAt = b.Size();
    b.U32(0);
    b.Bits(0, 12); b.Bits(1, 4);
    EntryPointMap(b, scan);
    b.Patch32(cpiAt, b.Size() - cpiAt - 4);
    // ClipMark, empty
    b.Patch32(20, b.Size());
    b.U32(0);
    return b.Data();
}

QByteArray Index(int titleCount)
{
    Bytes b;
    b.Text("INDX0200", 8);
    b.U32(78); b.U32(0);
    b.Zeros(24);
    b.U32(34); b.U8(0); b.U8(0); b.Zeros(32);          // AppInfoBDMV
    const int indexAt = b.Size();
    b.U32(0);
    const auto movieObject = [&b](int object) {
        b.Bits(0, 2); b.Bits(0, 14); b.U16(object); b.U32(0);
    };
    b.Bits(1, 2); b.Bits(0, 30); movieObject(0);       // first playback: the main title
    b.Bits(1, 2); b.Bits(0, 30); movieObject(0);       // top menu: the same, there is none
    b.U16(titleCount);
    for (int i = 0; i < titleCount; ++i) {
        b.Bits(1, 2); b.Bits(0, 2); b.Bits(0, 28);
        movieObject(i);
    }
    b.Patch32(indexAt, b.Size() - indexAt - 4);
    return b.Data();
}

QByteArray MovieObjects(int titleCount)
{
    Bytes b;
    b.Text("MOBJ0200", 8);
    b.U32(0);
    b.Zeros(28);
    const int dataAt = b.Size();
    b.U32(0); b.U32(0);
    b.U16(titleCount);
    for (int i = 0; i < titleCount; ++i) {
        b.U16(0x0000);                                 // no resume, menu call and title search allowed
        b.U16(1);
        // PlayPL i: branch group, play sub-group, immediate operand.
        b.U8(0x22); b.U8(0x80); b.U8(0); b.U8(0); b.U32(i); b.U32(0);
    }
    b.Patch32(dataAt, b.Size() - dataAt - 4);
    return b.Data();
}

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

namespace BlurayAuthor {

bool WriteDisc(const QString& root, const QList<Title>& titles, const QList<int>& copyOf, QString* error)
{
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    const QString bdmv = root + "/BDMV";
    for (const char* folder : {"/PLAYLIST", "/CLIPINF", "/STREAM", "/BACKUP", "/AUXDATA", "/META"})
        if (!QDir().mkpath(bdmv + folder))
            return fail("cannot make " + bdmv + folder);
    QList<QByteArray> playlists;
    for (int i = 0; i < titles.size(); ++i) {
        QFile source(titles[i].m2tsSource);
        if (!source.open(QIODevice::ReadOnly))
            return fail("cannot read " + titles[i].m2tsSource);
        const QByteArray stream = source.readAll();
        ClipScan scan;
        if (!ScanClip(stream, scan))
            return fail(titles[i].m2tsSource + " is no 192-byte transport stream with key frames");
        const QString name = QString("%1").arg(i, 5, 10, QChar('0'));
        playlists << Playlist(name, scan, titles[i]);
        if (!WriteFile(bdmv + "/STREAM/" + name + ".m2ts", stream)
            || !WriteFile(bdmv + "/CLIPINF/" + name + ".clpi", ClipInformation(scan, titles[i])))
            return fail("cannot write clip " + name);
    }
    for (const int original : copyOf)
        playlists << playlists.value(original);
    for (int i = 0; i < playlists.size(); ++i) {
        const QString name = QString("%1.mpls").arg(i, 5, 10, QChar('0'));
        if (!WriteFile(bdmv + "/PLAYLIST/" + name, playlists[i]))
            return fail("cannot write " + name);
    }
    if (!WriteFile(bdmv + "/index.bdmv", Index(titles.size()))
        || !WriteFile(bdmv + "/MovieObject.bdmv", MovieObjects(titles.size())))
        return fail("cannot write the disc's index");
    return true;
}

}
