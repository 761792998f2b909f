#pragma once

#include <QFile>
#include <QString>

// A read-only file that reads at absolute offsets in chunks of at most 64 KiB.
// Result codes: 0 success; 30 a read failed or the file ended before the
// count; 87 the file is not open; otherwise the QFileDevice::FileError of a
// failed open or seek.
class CRawFile {
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
    qint64 Size() const { return file_.isOpen() ? file_.size() : 0; }

    // Reads count bytes at offset into buffer; *bytesRead says how many arrived.
    int ReadAt(qint64 offset, char* buffer, qint64 count, qint64* bytesRead);

private:
    QFile file_;
};
