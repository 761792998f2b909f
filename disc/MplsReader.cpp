#include "disc/MplsReader.h"

#include "disc/RawFile.h"

#include <algorithm>
#include <QtEndian>
#include <cstring>

namespace {

// Bounds-checked big-endian access to the bytes read. A read outside them
// returns 0 and clears ok, which the parser turns into CMplsReader::OutOfBounds.
struct ByteView {
    const uchar* data;
    qint64 size;
    bool ok = true;

    bool Has(qint64 offset, qint64 count)
    {
        if (offset < 0 || offset > size - count) {
            ok = false;
            return false;
        }
        return true;
    }
    quint8 U8(qint64 offset) { return Has(offset, 1) ? data[offset] : 0; }
    quint16 U16(qint64 offset) { return Has(offset, 2) ? qFromBigEndian<quint16>(data + offset) : 0; }
    quint32 U32(qint64 offset) { return Has(offset, 4) ? qFromBigEndian<quint32>(data + offset) : 0; }
    QByteArray Bytes(qint64 offset, int count)
    {
        return Has(offset, count) ? QByteArray(reinterpret_cast<const char*>(data + offset), count)
                                  : QByteArray();
    }
};

// Text fields behave as zero-terminated strings.
QByteArray UpToZero(const QByteArray& bytes)
{
    const int zero = bytes.indexOf('\0');
    return zero < 0 ? bytes : bytes.left(zero);
}

// The 5-character clip name, a dot and the 4-character codec identifier at
// bytes, read as a zero-terminated string.
QString ClipName(const uchar* bytes)
{
    char name[10];
    std::memcpy(name, bytes, 5);
    name[5] = '.';
    std::memcpy(name + 6, bytes + 5, 4);
    const void* zero = std::memchr(name, 0, sizeof name);
    const qsizetype length = zero ? static_cast<const char*>(zero) - name : qsizetype(sizeof name);
    return QString::fromLatin1(name, length);
}

enum class StreamKind { None, Audio, Graphics, Text };

struct CodingType {
    quint8 code;
    StreamKind kind;
    const char* suffix;
};

constexpr CodingType kCodingTypes[] = {
    {0x80, StreamKind::Audio, " LPCM"},   {0x81, StreamKind::Audio, " AC3"},
    {0x82, StreamKind::Audio, " DTS"},    {0x83, StreamKind::Audio, " TRUEHD"},
    {0x84, StreamKind::Audio, " EAC3"},   {0x85, StreamKind::Audio, " DTS HD"},
    {0x86, StreamKind::Audio, " DTS HD XLL"}, {0xA1, StreamKind::Audio, " EAC3"},
    {0xA2, StreamKind::Audio, ""},        {0x90, StreamKind::Graphics, ""},
    {0x91, StreamKind::Graphics, ""},     {0x92, StreamKind::Text, ""},
};

const CodingType* FindCodingType(quint8 code)
{
    for (const CodingType& type : kCodingTypes) {
        if (type.code == code)
            return &type;
    }
    return nullptr;
}

struct LanguageEntry {
    const char* code;
    const char* name;
};

constexpr LanguageEntry kLanguages[] = {
    {"eng", "English"}, {"msa", "Malay"},    {"zho", "Chinese"}, {"spa", "Spanish"},
    {"fra", "French"},  {"hin", "Hindi"},    {"jpn", "Japanese"}, {"kor", "Korean"},
    {"tha", "Thai"},    {"por", "Portugal"},
};

} // namespace

QString LanguageName(const QByteArray& code)
{
    // The names are made once: a stream's description then shares them.
    static const QList<QString> names = [] {
        QList<QString> list;
        for (const LanguageEntry& entry : kLanguages)
            list << QString::fromLatin1(entry.name);
        return list;
    }();
    const QByteArray text = UpToZero(code);
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (text == kLanguages[i].code)
            return names[i];
    }
    QByteArray upper = text;
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    }
    return QString::fromLatin1(upper);
}

// One pass over one file's bytes. The stream lists are emptied before every
// play item, so they end up holding the streams of the last one.
class CMplsReader::Parser {
public:
    Parser(const char* data, qint64 size) : in_{reinterpret_cast<const uchar*>(data), size} {}

    int Run()
    {
        if (in_.size < 20)
            return TooShort;
        if (std::memcmp(in_.data, "MPLS", 4) != 0)
            return NotMpls;
        const quint32 playlistStart = in_.U32(8);
        const quint32 markStart = in_.U32(12);
        const int code = ParsePlaylist(playlistStart);
        if (code != Ok)
            return code;
        return ParseMarks(markStart);
    }

    QList<PLAY_ITEM_INFO> items;
    QList<quint32> chapters;
    QList<STREAM_INFO> audio;
    QList<STREAM_INFO> graphics;
    QList<STREAM_INFO> text;

private:
    int ParsePlaylist(qint64 start)
    {
        const qint16 count = qint16(in_.U16(start + 6));
        if (!in_.ok)
            return OutOfBounds;
        qint64 at = start + 10;
        int code = Ok;
        for (int i = 0; i < count; ++i) {
            audio.clear();
            graphics.clear();
            text.clear();
            qint64 next = 0;
            code = ParseItem(at, &next);
            if (code == OutOfBounds)
                return code;
            at = next;
        }
        return code;
    }

    int ParseItem(qint64 at, qint64* next)
    {
        const quint16 length = in_.U16(at);
        in_.Has(at + 2, 9);  // clip name and codec identifier
        const bool multiAngle = (in_.U8(at + 12) & 0x10) != 0;
        const quint32 inTime = in_.U32(at + 14);
        const quint32 outTime = in_.U32(at + 18);
        const quint8 angles = multiAngle ? in_.U8(at + 34) : 0;
        if (!in_.ok)
            return OutOfBounds;

        PLAY_ITEM_INFO item;
        item.inMs = inTime / 45;
        // An OUT time before the IN time wraps round as libbluray's does
        // (a day and some hours), instead of making a title of 1,192 hours.
        item.durationMs = outTime >= inTime ? outTime / 45 - inTime / 45 : quint32(outTime - inTime) / 45;
        item.clipName = ClipName(in_.data + at + 2);
        item.offsetMs = totalMs_;
        totalMs_ += item.durationMs;
        items.append(item);

        *next = at + 2 + length;
        const qint64 streams = multiAngle ? at + 36 + 10 * qMax(0, angles - 1) : at + 34;
        return ParseStreams(streams);
    }

    int ParseStreams(qint64 start)
    {
        const qint8 video = qint8(in_.U8(start + 4));
        if (!in_.ok)
            return OutOfBounds;
        if (video > 3)
            return TooManyVideoStreams;
        const qint8 primaryAudio = qint8(in_.U8(start + 5));
        const qint8 subtitles = qint8(in_.U8(start + 6));
        if (!in_.ok)
            return OutOfBounds;
        const int entries = qMax<int>(0, video) + qMax<int>(0, primaryAudio) + qMax<int>(0, subtitles);
        qint64 at = start + 16;
        for (int i = 0; i < entries; ++i) {
            const qint64 attributes = at + 1 + in_.U8(at);
            const quint8 attributeLength = in_.U8(attributes);
            const CodingType* type = FindCodingType(in_.U8(attributes + 1));
            if (type) {
                const qint64 language = attributes + (type->kind == StreamKind::Graphics ? 2 : 3);
                // The entry ends where the attributes begin, which were read:
                // its type and PID lie within what was read.
                const bool ownClip = in_.U8(at) >= 3 && in_.U8(at + 1) == 1;
                AddStream(*type, in_.Bytes(language, 3), ownClip ? in_.U16(at + 2) : 0);
            }
            if (!in_.ok)
                return OutOfBounds;
            at = attributes + 1 + attributeLength;
        }
        return Ok;
    }

    void AddStream(const CodingType& type, const QByteArray& language, quint16 pid)
    {
        STREAM_INFO stream;
        stream.pid = pid;
        stream.language = language;
        stream.codingType = type.code;
        stream.description = LanguageName(language);
        if (*type.suffix)
            stream.description += QLatin1String(type.suffix);
        switch (type.kind) {
        case StreamKind::Audio: audio.append(stream); break;
        case StreamKind::Graphics: graphics.append(stream); break;
        case StreamKind::Text: text.append(stream); break;
        case StreamKind::None: break;
        }
    }

    int ParseMarks(qint64 start)
    {
        const qint16 count = qint16(in_.U16(start + 4));
        if (!in_.ok)
            return OutOfBounds;
        for (int i = 0; i < count; ++i) {
            const qint64 mark = start + 6 + 14 * qint64(i);
            in_.Has(mark, 14);  // a mark is a whole record or none
            const quint8 type = in_.U8(mark + 1);
            const qint16 item = qint16(in_.U16(mark + 2));
            const quint32 timeStamp = in_.U32(mark + 4);
            if (!in_.ok)
                return OutOfBounds;
            if (type == 1 && item >= 0 && item < items.size()) {
                const PLAY_ITEM_INFO& target = items.at(item);
                // A mark before its item's IN time starts the chapter with
                // the item: it would wrap to a chapter billions of
                // milliseconds in, and chapter lists must stay in order.
                chapters.append(target.offsetMs + qMax(timeStamp / 45, target.inMs) - target.inMs);
            }
        }
        // Chapters in the order they play, whatever order the file lists
        // their marks in: chapter stepping relies on it.
        std::stable_sort(chapters.begin(), chapters.end());
        return Ok;
    }

    ByteView in_;
    quint32 totalMs_ = 0;
};

CMplsReader::CMplsReader() = default;
CMplsReader::~CMplsReader() = default;

int CMplsReader::Read(const QString& path, QList<PLAY_ITEM_INFO>& playItems,
                      QList<STREAM_INFO>& subtitles, QList<STREAM_INFO>& audio,
                      QList<quint32>& chapters)
{
    lastBytes_ = QByteArrayView();
    lastFileSize_ = 0;
    CRawFile file;
    const int openCode = file.Open(path);
    if (openCode != 0)
        return openCode;
    if (!buffer_)
        buffer_.reset(new char[kBufferSize]);  // left uninitialised: only the bytes read count
    qint64 got = 0;
    // A short read is not an error of its own: the parser judges the bytes that arrived.
    lastFileSize_ = file.Size();
    file.ReadAt(0, buffer_.get(), qMin(lastFileSize_, kBufferSize), &got);
    file.Close();
    lastBytes_ = QByteArrayView(buffer_.get(), got);
    return ReadBytes(buffer_.get(), got, playItems, subtitles, audio, chapters);
}

int CMplsReader::ReadBytes(const char* data, qint64 size, QList<PLAY_ITEM_INFO>& playItems,
                           QList<STREAM_INFO>& subtitles, QList<STREAM_INFO>& audio,
                           QList<quint32>& chapters)
{
    Parser parser(data, size);
    const int code = parser.Run();
    if (code != Ok)
        return code;
    chapters += parser.chapters;
    const QList<PLAY_ITEM_INFO>& items = parser.items;
    if (items.size() >= 3 && items.at(1).clipName == items.at(2).clipName)
        return Ok;  // a look-alike: a decoy of the main title, kept out of the title list
    playItems += items;
    audio += parser.audio;
    subtitles += parser.graphics.isEmpty() ? parser.text : parser.graphics;
    return Ok;
}
