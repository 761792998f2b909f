#pragma once

#include "disc/DiscFiles.h"

#include <QFile>
#include <QString>

// A read-only file that reads at absolute offsets in chunks of at most 64 KiB.
// Result codes: 0 success; 30 a read failed or the file ended before the
// count; 87 the file is not open; otherwise the QFileDevice::FileError of a
// failed open or seek. Only regular files are opened: a FIFO, socket or device
// (or a link to one) is refused with QFileDevice::OpenError before any open,
// because opening a FIFO waits for a writer that may never come.
class CRawFile final : public DiscFile {
public:
    static constexpr int kReadFailed = 30;
    static constexpr int kNotOpen = 87;
    static constexpr qint64 kChunk = 64 * 1024;

    CRawFile() = default;
    CRawFile(const CRawFile&) = delete;
    CRawFile& operator=(const CRawFile&) = delete;

    int Open(const QString& path);  // closes a file opened before
    void Close();
    bool IsOpen() const { return file_.isOpen(); }
    // The size the file had when it was opened.
    qint64 Size() const override { return file_.isOpen() ? size_ : 0; }

    // Reads count bytes at offset into buffer; *bytesRead says how many arrived.
    int ReadAt(qint64 offset, char* buffer, qint64 count, qint64* bytesRead) override;

private:
    QFile file_;
    qint64 size_ = 0;
};

// True when path names a regular file, or a link to one.
bool IsRegularFile(const QString& path);
