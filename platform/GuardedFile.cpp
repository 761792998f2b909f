#include "platform/GuardedFile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace GuardedFile {

namespace {

class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

Contents Read(const QString &path, qint64 maxBytes)
{
    Contents result;
    // Non-blocking, so that opening a FIFO does not wait for a writer; what
    // it turns out to be is asked of the open file, not of the name.
    const Descriptor fd(::open(QFile::encodeName(path).constData(),
                               O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) {
        result.outcome = errno == ENOENT || errno == ENOTDIR ? Outcome::Missing : Outcome::Refused;
        return result;
    }
    struct stat st{};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        result.outcome = Outcome::Refused;
        return result;
    }
    // One byte past the bound tells a file that is longer.
    const qint64 wanted = qMax<qint64>(maxBytes, 0) + 1;
    result.bytes.resize(qMin<qint64>(wanted, qMax<qint64>(st.st_size, 0) + 1));
    qint64 got = 0;
    while (got < wanted) {
        if (got == result.bytes.size())
            result.bytes.resize(qMin<qint64>(wanted, got * 2 + 4096));
        const ssize_t n = ::read(fd.get(), result.bytes.data() + got, size_t(result.bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            result.outcome = Outcome::Refused;
            result.bytes.clear();
            return result;
        }
        if (n == 0)
            break;
        got += n;
    }
    result.cut = got > maxBytes;
    result.bytes.resize(qMin(got, qMax<qint64>(maxBytes, 0)));
    result.outcome = Outcome::Read;
    return result;
}

} // namespace GuardedFile
