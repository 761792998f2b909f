#include "platform/AtomicFile.h"

#include <QFile>
#include <QSaveFile>

#include <sys/stat.h>
#include <unistd.h>

bool WriteFileAtomically(const QString &path, const QByteArray &bytes)
{
    // A link in the file's place is replaced, never written through: the
    // new file must not land wherever the link points (a device, another
    // user's file when run as root).
    struct stat st{};
    if (::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISLNK(st.st_mode)
        && ::unlink(QFile::encodeName(path).constData()) != 0)
        return false;
    QSaveFile file(path);
    // Unbuffered, so that a write that fails says so here and not in a
    // flush whose failure would go unseen.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    qint64 written = 0;
    while (written < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0) {
            file.cancelWriting();
            return false;
        }
        written += n;
    }
    return file.commit();
}
