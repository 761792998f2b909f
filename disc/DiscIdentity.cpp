#include "disc/DiscIdentity.h"

#include <QCryptographicHash>
#include <algorithm>

QByteArray PlaylistContentDigest(QByteArrayView contents)
{
    return QCryptographicHash::hash(contents, QCryptographicHash::Sha256);
}

QByteArray DiscIdentity(QByteArrayView index, QByteArrayView movieObject,
                        QList<QByteArray> playlistDigests)
{
    if (index.isEmpty() && movieObject.isEmpty() && playlistDigests.isEmpty())
        return {};
    // Sorted by value, so that a listing order (which differs between a file
    // system and an image) cannot change the identity.
    std::sort(playlistDigests.begin(), playlistDigests.end());
    QCryptographicHash hash(QCryptographicHash::Sha256);
    // Each part with its length, so that bytes cannot move from one part to
    // the next and give the same digest.
    const auto addPart = [&hash](QByteArrayView part) {
        hash.addData(QByteArray::number(part.size()) + ':');
        hash.addData(part);
    };
    addPart(index);
    addPart(movieObject);
    for (const QByteArray& digest : playlistDigests)
        addPart(digest);
    return hash.result().toHex();
}
