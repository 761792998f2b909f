#pragma once

#include <QString>

// Whole seconds as "HH:MM:SS" (hours grow past two digits: "100:00:00").
// Negative input counts as 0.
QString FormatSeconds(qint64 seconds);

// Reads a text written by FormatSeconds back as hours*3600 + minutes*60 +
// seconds. Anything that is not three colon-separated groups of digits gives 0.
qint64 TimeTextSeconds(const QString& text);
