#pragma once

#include <QHash>
#include <QImage>
#include <QString>

class DiscFiles;

// The disc page's picture from the file a disc's metadata names: decoded,
// and at most as large as a 4K screen (a larger picture is decoded smaller,
// keeping its shape), so that a picture of huge dimensions costs neither
// seconds nor hundreds of megabytes. Null when the path is empty or the file
// is no picture. Safe on any thread.
QImage LoadDiscPicture(const QString& path);

// The same for a picture of a disc read through files: path is the one
// files.PathOf gave it (a picture inside an image is read from the image).
QImage LoadDiscPicture(const DiscFiles& files, const QString& path);

struct BlurayDisc;

// The disc's pictures by the language of the metadata file that names them
// ("eng", "jpn"): for each language an interface may speak, the thumbnail
// that best fills page (ChooseThumbnail) of the file ChooseMetaLanguage
// picks; each file decoded once.
using DiscPictures = QHash<QString, QImage>;
DiscPictures LoadDiscPictures(const BlurayDisc& disc, const DiscFiles& files, const QSize& page);

// The languages of the interface, as the disc metadata names them.
extern const char* const kInterfaceMetaLanguages[6];
