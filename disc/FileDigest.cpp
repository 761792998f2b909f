#include "disc/FileDigest.h"

#include "disc/RawFile.h"

#include <openssl/evp.h>
#include <openssl/sha.h>
#include <memory>

namespace {

struct DigestContextFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

} // namespace

int FileDigestHex(const QString& path, QByteArray& hex)
{
    hex.clear();
    CRawFile file;
    if (file.Open(path) != 0 || file.Size() <= 0)
        return CRawFile::kNotOpen;
    // Fed in chunks so that a huge file costs no more memory than a small one.
    std::unique_ptr<EVP_MD_CTX, DigestContextFree> context(EVP_MD_CTX_new());
    if (!context || EVP_DigestInit_ex(context.get(), EVP_sha512(), nullptr) != 1)
        return CRawFile::kReadFailed;
    QByteArray chunk(int(CRawFile::kChunk), Qt::Uninitialized);
    const qint64 size = file.Size();
    for (qint64 offset = 0; offset < size; offset += CRawFile::kChunk) {
        qint64 got = 0;
        if (file.ReadAt(offset, chunk.data(), qMin(CRawFile::kChunk, size - offset), &got) != 0)
            return CRawFile::kReadFailed;
        EVP_DigestUpdate(context.get(), chunk.constData(), size_t(got));
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context.get(), digest, &length) != 1)
        return CRawFile::kReadFailed;
    hex = QByteArray(reinterpret_cast<const char*>(digest), int(length)).toHex().toUpper();
    return 0;
}

QByteArray DigestHex(QByteArrayView bytes)
{
    unsigned char digest[SHA512_DIGEST_LENGTH];
    SHA512(reinterpret_cast<const unsigned char*>(bytes.data()), size_t(bytes.size()), digest);
    return QByteArray(reinterpret_cast<const char*>(digest), SHA512_DIGEST_LENGTH).toHex().toUpper();
}
