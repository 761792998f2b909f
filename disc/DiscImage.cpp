// A disc image's files, read through libudfread: the UDF file system that
// Blu-ray discs and DVDs carry (DVDs beside ISO 9660), as libbluray reads it.
#include "disc/DiscFiles.h"

#include "disc/RawFile.h"

#include <udfread/udfread.h>

namespace {

// Paths inside the image are absolute from its root.
QByteArray UdfPath(const QString& relative)
{
    return (QLatin1Char('/') + relative).toUtf8();
}

struct UdfCloser {
    void operator()(udfread* udf) const { udfread_close(udf); }
    void operator()(UDFFILE* file) const { udfread_file_close(file); }
    void operator()(UDFDIR* dir) const { udfread_closedir(dir); }
};

class ImageFile final : public DiscFile {
public:
    explicit ImageFile(UDFFILE* file) : file_(file), size_(qMax<qint64>(0, udfread_file_size(file))) {}

    qint64 Size() const override { return size_; }
    int ReadAt(qint64 offset, char* buffer, qint64 count, qint64* bytesRead) override
    {
        *bytesRead = 0;
        if (offset < 0 || udfread_file_seek(file_.get(), offset, UDF_SEEK_SET) != offset)
            return CRawFile::kReadFailed;
        qint64 done = 0;
        while (done < count) {
            const ssize_t got = udfread_file_read(file_.get(), buffer + done,
                                                  size_t(qMin(CRawFile::kChunk, count - done)));
            if (got <= 0)
                break;
            done += got;
        }
        *bytesRead = done;
        return done == count ? 0 : CRawFile::kReadFailed;
    }

private:
    std::unique_ptr<UDFFILE, UdfCloser> file_;
    const qint64 size_;
};

class ImageFiles final : public DiscFiles {
public:
    ImageFiles(const QString& image, udfread* udf) : DiscFiles(image), udf_(udf) {}

    bool IsImage() const override { return true; }
    bool IsDirectory(const QString& relative) const override
    {
        return std::unique_ptr<UDFDIR, UdfCloser>(udfread_opendir(udf_.get(), UdfPath(relative))) != nullptr;
    }
    bool List(const QString& relative, QList<DIR_ENTRY_INFO>& entries) const override
    {
        const std::unique_ptr<UDFDIR, UdfCloser> dir(udfread_opendir(udf_.get(), UdfPath(relative)));
        if (!dir)
            return false;
        udfread_dirent entry;
        while (udfread_readdir(dir.get(), &entry)) {
            const QString name = QString::fromUtf8(entry.d_name);
            if (name.isEmpty() || name.startsWith(QLatin1Char('.')))
                continue;
            DIR_ENTRY_INFO record;
            record.path = PathOf(relative.isEmpty() ? name : ChildPath(relative, name));
            record.isDirectory = entry.d_type == UDF_DT_DIR;
            entries.append(record);
        }
        return true;
    }
    std::unique_ptr<DiscFile> Open(const QString& relative, int* code) const override
    {
        UDFFILE* file = udfread_file_open(udf_.get(), UdfPath(relative));
        *code = file ? 0 : int(QFileDevice::OpenError);
        return file ? std::make_unique<ImageFile>(file) : nullptr;
    }

private:
    std::unique_ptr<udfread, UdfCloser> udf_;
};

} // namespace

std::unique_ptr<DiscFiles> OpenDiscImageFiles(const QString& image)
{
    if (!IsRegularFile(image))
        return nullptr;
    udfread* udf = udfread_init();
    if (!udf)
        return nullptr;
    if (udfread_open(udf, QFile::encodeName(image).constData()) < 0) {
        udfread_close(udf);
        return nullptr;
    }
    return std::make_unique<ImageFiles>(image, udf);
}
