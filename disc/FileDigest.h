#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>

// SHA-512 of the whole file as 128 upper-case hexadecimal digits in hex.
// Returns 0; 87 when the file cannot be opened or is empty; 30 when a read
// fails; 1223 when cancelled became true before the end (checked between
// chunks, so a huge file or a slow drive is given up at once). hex is empty
// unless the result is 0.
// With maxBytes of 0 or more, the digest is of the file's first maxBytes
// bytes at most.
constexpr int kDigestCancelled = 1223;
int FileDigestHex(const QString& path, QByteArray& hex,
                  const std::atomic<bool>* cancelled = nullptr, qint64 maxBytes = -1);

// The same digest of bytes already in memory.
QByteArray DigestHex(QByteArrayView bytes);
