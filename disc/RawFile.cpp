#include "disc/RawFile.h"

#include <QFileInfo>

bool IsRegularFile(const QString& path)
{
    return QFileInfo(path).isFile();
}

int CRawFile::Open(const QString& path)
{
    Close();
    // The look-up that keeps FIFOs out also gives the size, which spares
    // asking for it again once the file is open.
    const QFileInfo info(path);
    if (!info.isFile())
        return int(QFileDevice::OpenError);
    size_ = info.size();
    file_.setFileName(path);
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
    // A fresh file stands at 0 already: most reads need no seek.
    if (offset < 0 || (offset != file_.pos() && !file_.seek(offset))) {
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
