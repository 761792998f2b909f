#pragma once

#include <QByteArray>
#include <QString>

// SHA-512 of the whole file as 128 upper-case hexadecimal digits in hex.
// Returns 0; 87 when the file cannot be opened or is empty; 30 when a read
// fails. hex is empty unless the result is 0.
int FileDigestHex(const QString& path, QByteArray& hex);

// The same digest of bytes already in memory.
QByteArray DigestHex(QByteArrayView bytes);
