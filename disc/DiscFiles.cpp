#include "disc/DiscFiles.h"

#include "disc/RawFile.h"

#include <QFileInfo>

namespace {

class FolderFiles final : public DiscFiles {
public:
    explicit FolderFiles(const QString& folder) : DiscFiles(folder) {}

    bool IsImage() const override { return false; }
    bool IsDirectory(const QString& relative) const override
    {
        return QFileInfo(PathOf(relative)).isDir();
    }
    bool List(const QString& relative, QList<DIR_ENTRY_INFO>& entries) const override
    {
        return ListDirectory(relative.isEmpty() ? Location() : PathOf(relative), entries);
    }
    std::unique_ptr<DiscFile> Open(const QString& relative, int* code) const override
    {
        auto file = std::make_unique<CRawFile>();
        *code = file->Open(PathOf(relative));
        return *code == 0 ? std::move(file) : nullptr;
    }
};

} // namespace

std::unique_ptr<DiscFiles> OpenDiscFolderFiles(const QString& folder)
{
    return std::make_unique<FolderFiles>(folder);
}

std::unique_ptr<DiscFiles> OpenDiscFiles(const QString& location)
{
    if (location.isEmpty())
        return nullptr;
    // A FIFO or a device named like an image is no image: only regular files are read.
    const QFileInfo info(location);
    if (info.isFile())
        return OpenDiscImageFiles(location);
    return OpenDiscFolderFiles(location);
}

QByteArray ReadDiscFile(DiscFile& file, qint64 limit)
{
    QByteArray bytes(qMin(file.Size(), limit), Qt::Uninitialized);
    qint64 got = 0;
    file.ReadAt(0, bytes.data(), bytes.size(), &got);
    bytes.truncate(got);
    return bytes;
}

bool IsDiscImageName(const QString& path)
{
    return path.endsWith(QLatin1String(".iso"), Qt::CaseInsensitive);
}

bool IsDiscLocation(const QString& location)
{
    const QFileInfo info(location);
    return info.isDir() || (info.isFile() && IsDiscImageName(location));
}
