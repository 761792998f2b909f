#pragma once

#include "disc/DirectoryListing.h"

#include <QList>
#include <QString>
#include <memory>

// One open file of a disc, read at absolute offsets. Result codes as
// CRawFile's: 0 success; 30 a read failed or the file ended before the count.
class DiscFile {
public:
    virtual ~DiscFile() = default;
    // The size the file had when it was opened.
    virtual qint64 Size() const = 0;
    // Reads count bytes at offset into buffer; *bytesRead says how many arrived.
    virtual int ReadAt(qint64 offset, char* buffer, qint64 count, qint64* bytesRead) = 0;
};

// The first limit bytes of file at most (all of a smaller one); what arrived
// when a read fails.
QByteArray ReadDiscFile(DiscFile& file, qint64 limit);

// Where a disc's files are read: a folder that holds the disc, or an image
// of it. Everything that reads a disc's structure goes through here, so that
// a folder and an image of the same disc read the same.
//
// Paths are relative to the disc's root, "/"-separated ("BDMV/PLAYLIST").
// PathOf turns one into the name the rest of the player knows the file by:
// the folder or the image, "/", the relative path. Not thread-safe: one
// thread at a time per instance.
class DiscFiles {
public:
    virtual ~DiscFiles() = default;

    // The folder or the image, as given.
    const QString& Location() const { return location_; }
    QString PathOf(const QString& relative) const { return ChildPath(location_, relative); }
    virtual bool IsImage() const = 0;

    virtual bool IsDirectory(const QString& relative) const = 0;
    // One record per entry, skipping dot-names, paths made by PathOf; false
    // when the folder cannot be listed.
    virtual bool List(const QString& relative, QList<DIR_ENTRY_INFO>& entries) const = 0;
    // The regular file at relative, or null with *code set (CRawFile's codes).
    virtual std::unique_ptr<DiscFile> Open(const QString& relative, int* code) const = 0;

protected:
    explicit DiscFiles(const QString& location) : location_(location) {}

private:
    const QString location_;
};

// The files of location: a folder's, or an image's when location is a
// regular file; null for an image that is no UDF file system (damaged, all
// zeros, cut short, or no image at all). Opening an image reads a few of
// its blocks.
std::unique_ptr<DiscFiles> OpenDiscFiles(const QString& location);

// Whether location opens as a disc (a folder, or a file named like a disc
// image), judged by its name and type alone, so that the window can ask it
// without reading from a drive that may be slow.
bool IsDiscLocation(const QString& location);

// Whether the file name is that of a disc image (".iso", in any case).
bool IsDiscImageName(const QString& path);

// The folder's files; used by OpenDiscFiles and by the image's counterpart.
std::unique_ptr<DiscFiles> OpenDiscFolderFiles(const QString& folder);
// The image's files, or null when it holds no UDF file system.
std::unique_ptr<DiscFiles> OpenDiscImageFiles(const QString& image);
