#pragma once

#include <QByteArray>
#include <QString>

// Replaces the file at path with bytes, or leaves it exactly as it was: the
// bytes go to a new file beside it, every write is checked, and only a new
// file that was written whole is renamed into place. A full disk, a quota
// or an unwritable folder makes it return false. A link at path is
// replaced by the file, not followed.
bool WriteFileAtomically(const QString &path, const QByteArray &bytes);
