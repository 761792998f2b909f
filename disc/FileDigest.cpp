#include "disc/FileDigest.h"

#include "disc/RawFile.h"

#include <QCryptographicHash>

// Qt's own SHA-512 rather than libcrypto's: loading and starting libcrypto
// costs a short-lived program like disc-titles more than every playlist of a
// disc takes to hash.

int FileDigestHex(const QString& path, QByteArray& hex, const std::atomic<bool>* cancelled,
                  qint64 maxBytes)
{
    hex.clear();
    CRawFile file;
    if (file.Open(path) != 0 || file.Size() <= 0)
        return CRawFile::kNotOpen;
    // Fed in chunks so that a huge file costs no more memory than a small one.
    QCryptographicHash hash(QCryptographicHash::Sha512);
    QByteArray chunk(int(CRawFile::kChunk), Qt::Uninitialized);
    const qint64 size = maxBytes < 0 ? file.Size() : qMin(file.Size(), maxBytes);
    for (qint64 offset = 0; offset < size; offset += CRawFile::kChunk) {
        if (cancelled && cancelled->load(std::memory_order_relaxed))
            return kDigestCancelled;
        qint64 got = 0;
        if (file.ReadAt(offset, chunk.data(), qMin(CRawFile::kChunk, size - offset), &got) != 0)
            return CRawFile::kReadFailed;
        hash.addData(QByteArrayView(chunk.constData(), got));
    }
    hex = hash.result().toHex().toUpper();
    return 0;
}

QByteArray DigestHex(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha512).toHex().toUpper();
}
