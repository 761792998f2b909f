#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

// One title of a DVD as its IFO files describe it.
struct DvdTitle {
    int number = 0;                 // N of "dvd://N", from 1
    qint64 seconds = 0;             // its length, whole seconds
    QList<quint32> chapters;        // chapter starts in ms from the title's start
};
Q_DECLARE_METATYPE(QList<DvdTitle>)

// What the player knows of a DVD: its titles, and what it is, from the
// digest libdvdread takes of its IFO files ("dvd:" and 32 hex digits), alike
// for the disc, its folder and its image; empty when they cannot be read.
struct DvdDisc {
    QList<DvdTitle> titles;
    QByteArray identity;
};
Q_DECLARE_METATYPE(DvdDisc)

DvdDisc ReadDvdDisc(const QString& location);

// The titles of the DVD in location (a folder holding VIDEO_TS, or an image
// of the disc), read with libdvdread; empty when it cannot be read. Reads
// the disc's IFO files only: milliseconds for a disc on disk.
QList<DvdTitle> ReadDvdTitles(const QString& location);
