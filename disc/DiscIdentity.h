#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

// What makes a Blu-ray the disc it is, for remembering it: a digest of its own
// navigation files (index.bdmv, MovieObject.bdmv) and of the contents of its
// playlist files. Folder, names and paths play no part, so the same disc as a
// folder, as an image or copied elsewhere has one identity, and two discs
// that merely share a name have two.

// The digest of one playlist file's contents, as DiscIdentity takes it.
QByteArray PlaylistContentDigest(QByteArrayView contents);

// 64 lower-case hexadecimal digits; empty when the disc has nothing to tell
// it by (no navigation file and no playlist). The order of playlistDigests
// does not matter.
QByteArray DiscIdentity(QByteArrayView index, QByteArrayView movieObject,
                        QList<QByteArray> playlistDigests);
