#pragma once

#include <QString>

class DiscFiles;

enum class DiscKind { None, Bluray, Dvd };

// What the disc holds. A BDMV folder makes it a Blu-ray candidate (looked at
// first, so a disc with both structures is a Blu-ray), otherwise a VIDEO_TS
// folder makes it a DVD candidate. The candidate is confirmed by an entry's own
// name, exactly and case-sensitively: BDMV must hold a directory named
// "STREAM"; the root must hold a directory named "VIDEO_TS", and in an image,
// where nothing else could tell the DVD player what to play, VIDEO_TS must
// hold VIDEO_TS.IFO. Nothing confirmed, or a root that cannot be listed: None.
// Lists two folders at most and reads no file.
DiscKind DetectDiscKind(const DiscFiles& files);

// The same for a folder or an image (see OpenDiscFiles); an empty name, or an
// image that is no UDF file system: None.
DiscKind DetectDiscKind(const QString& location);
