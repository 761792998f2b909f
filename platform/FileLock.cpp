#include "platform/FileLock.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

FileLock::FileLock(const QString &path, int waitMs)
{
    // Never through a link, never a FIFO's wait: the lock file is ours alone.
    m_fd = ::open(QFile::encodeName(path).constData(),
                  O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (m_fd < 0)
        return;
    const QDeadlineTimer deadline(waitMs);
    while (!(m_held = ::flock(m_fd, LOCK_EX | LOCK_NB) == 0) && (errno == EWOULDBLOCK || errno == EINTR)
           && !deadline.hasExpired())
        QThread::msleep(5);
}

FileLock::~FileLock()
{
    if (m_fd >= 0)
        ::close(m_fd); // lets go of the lock
}
