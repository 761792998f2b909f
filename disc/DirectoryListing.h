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
