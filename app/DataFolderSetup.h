#pragma once

#include <QString>

// Creates the per-user data folder when it is missing and puts a copy of the
// duration probe into it. A copy that differs from the shipped probe (an
// older version, a broken or truncated file, one without its execute
// permission) is replaced; a missing shipped probe leaves the copy alone.
// Failures are not reported: later steps simply find no folder, and run the
// shipped probe. Returns the folder with its trailing "/".
QString PrepareDataFolder(const QString &folder, const QString &probeSource);

// The probe to run: its copy inside the data folder, or the shipped one when
// no usable copy is there.
QString ProbeToolCopy(const QString &folder);
