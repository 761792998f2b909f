#pragma once

#include <QList>
#include <QString>

struct DIR_ENTRY_INFO {
    bool isDirectory = false;
    QString path;  // the listed folder, "/", the entry's name
};

// Appends one record per entry of folder, in the order the file system returns
// them, skipping every name that begins with ".". Returns false, leaving
// entries as it was, when the folder cannot be listed.
bool ListDirectory(const QString& folder, QList<DIR_ENTRY_INFO>& entries);

// folder + "/" + name, without doubling the separator of a folder that already
// ends in one (a drive's mount point given as "/media/cdrom/", or "/").
QString ChildPath(const QString& folder, const QString& name);

// The last part of a path: the entry's own name.
QString EntryName(const QString& path);
