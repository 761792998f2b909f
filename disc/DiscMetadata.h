#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

// Reads the disc name and the thumbnail reference from a Blu-ray disc
// metadata file (BDMV/META/DL/bdmt_eng.xml) as the bytes written there. A
// value of 256 bytes or more is ignored; the last line that names one wins; a
// file that cannot be opened leaves both empty. Always returns 0.
// Only a regular file is read, and only its first kMetadataLimit bytes (the
// real files are a few hundred bytes; a bigger one is damaged or hostile).
int ReadDiscMetadata(const QString& path, QByteArray& name, QByteArray& thumbnail);

// The same, from an open device, up to kMetadataLimit bytes from where it stands.
void ReadDiscMetadata(QIODevice& device, QByteArray& name, QByteArray& thumbnail);

constexpr qint64 kMetadataLimit = 1024 * 1024;

// Where the thumbnail a disc's metadata names is: the canonical path of
// metadataFolder (the disc's BDMV/META/DL) + reference, when that is a regular
// file inside the folder, so that whoever loads it follows no link. Empty for
// a reference that leads out of it: an absolute path, one that climbs out
// with "..", or one that goes through a symbolic link to somewhere else; empty
// too when the file is missing or no regular file.
QString DiscThumbnailPath(const QString& metadataFolder, const QString& reference);
