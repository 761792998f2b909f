#pragma once

#include "disc/MplsTypes.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <memory>

class DiscFile;

// Reads one Blu-ray movie playlist (BDMV/PLAYLIST/*.mpls): play items,
// chapters (entry marks), and the audio and subtitle streams of the last play
// item. One reader keeps one 10 MiB buffer for all the files it reads.
//
// Result codes: 0 success; the CRawFile code of a failed open; 1 fewer than
// 20 bytes; 2 no "MPLS" signature; 3 the last play item declares more than 3
// primary video streams; 4 a start address, length or count points outside
// the bytes read. Outputs are written only on success; a look-alike playlist
// (3 or more items, the 2nd and 3rd naming the same clip) succeeds with its
// chapters alone.
class CMplsReader {
public:
    static constexpr qint64 kBufferSize = 10 * 1024 * 1024;
    enum Code { Ok = 0, TooShort = 1, NotMpls = 2, TooManyVideoStreams = 3, OutOfBounds = 4 };

    CMplsReader();
    ~CMplsReader();
    CMplsReader(const CMplsReader&) = delete;
    CMplsReader& operator=(const CMplsReader&) = delete;

    // Files longer than 10 MiB are read in their first 10 MiB.
    int Read(const QString& path, QList<PLAY_ITEM_INFO>& playItems,
             QList<STREAM_INFO>& subtitles, QList<STREAM_INFO>& audio,
             QList<quint32>& chapters);

    // The same for a file of a disc opened through its DiscFiles; size is the
    // file's, the CRawFile code of the open goes to openCode.
    int Read(DiscFile* file, int openCode, QList<PLAY_ITEM_INFO>& playItems,
             QList<STREAM_INFO>& subtitles, QList<STREAM_INFO>& audio,
             QList<quint32>& chapters);

    // The same for a playlist already in memory (size bytes at data).
    int ReadBytes(const char* data, qint64 size, QList<PLAY_ITEM_INFO>& playItems,
                  QList<STREAM_INFO>& subtitles, QList<STREAM_INFO>& audio,
                  QList<quint32>& chapters);

    // What the last Read read of its file, while the reader is not used again:
    // all of it, or its first 10 MiB (or what a failing read gave); empty when
    // the file could not be opened.
    QByteArrayView LastBytes() const { return lastBytes_; }
    // The size of that file when it was opened; more than LastBytes() when
    // the file was not read whole.
    qint64 LastFileSize() const { return lastFileSize_; }

private:
    class Parser;
    std::unique_ptr<char[]> buffer_;  // allocated on the first Read
    QByteArrayView lastBytes_;
    qint64 lastFileSize_ = 0;
};

// "English", "Portugal", ... or the code in upper case.
QString LanguageName(const QByteArray& code);
