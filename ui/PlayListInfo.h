#pragma once

#include <QMetaType>
#include <QString>

enum MEDIA_KIND { MEDIA_FILE = 0, MEDIA_DVD = 1, MEDIA_BLURAY = 2 };

// One playlist entry; also the data of a Blu-ray title's menu entry.
struct PLAY_LIST_INFO
{
    qint32 kind = MEDIA_FILE;
    QString path;     // the file, disc root or folder; the entry's identity
    QString duration; // "HH:MM:SS", empty for a DVD
};

Q_DECLARE_METATYPE(PLAY_LIST_INFO)
