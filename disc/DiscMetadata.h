#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

// Reads the disc name and the thumbnail reference from a Blu-ray disc
// metadata file (BDMV/META/DL/bdmt_eng.xml) as the bytes written there. A
// value of 256 bytes or more is ignored; the last line that names one wins; a
// file that cannot be opened leaves both empty. Always returns 0.
int ReadDiscMetadata(const QString& path, QByteArray& name, QByteArray& thumbnail);

// The same, from an open device.
void ReadDiscMetadata(QIODevice& device, QByteArray& name, QByteArray& thumbnail);
