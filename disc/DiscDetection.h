#pragma once

#include <QString>

enum class DiscKind { None, Bluray, Dvd };

// What the folder holds. A BDMV folder makes it a Blu-ray candidate (looked at
// first, so a folder with both structures is a Blu-ray), otherwise a VIDEO_TS
// folder makes it a DVD candidate. The candidate is confirmed by an entry's own
// name, exactly and case-sensitively: BDMV must hold a directory named
// "STREAM"; the folder itself must hold a directory named "VIDEO_TS". Nothing
// confirmed, an empty folder name or a folder that cannot be listed: None.
// Touches the file system (two look-ups and one listing) but reads no file.
DiscKind DetectDiscKind(const QString& folder);
