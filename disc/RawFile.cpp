#include "disc/RawFile.h"

int CRawFile::Open(const QString& path)
{
    Close();
    file_.setFileName(path);  // Qt refuses to open a directory
    if (!file_.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        const int error = file_.error();
        file_.unsetError();
        return error != QFileDevice::NoError ? error : int(QFileDevice::OpenError);
    }
    return 0;
}

void CRawFile::Close()
{
    if (file_.isOpen())
        file_.close();
}

int CRawFile::ReadAt(qint64 offset, char* buffer, qint64 count, qint64* bytesRead)
{
    *bytesRead = 0;
    if (!file_.isOpen())
        return kNotOpen;
    if (offset < 0 || !file_.seek(offset)) {
        const int error = file_.error();
        return error != QFileDevice::NoError ? error : int(QFileDevice::PositionError);
    }
    qint64 done = 0;
    while (done < count) {
        const qint64 got = file_.read(buffer + done, qMin(kChunk, count - done));
        if (got <= 0)
            break;
        done += got;
    }
    *bytesRead = done;
    return done == count ? 0 : kReadFailed;
}
