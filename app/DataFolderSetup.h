#pragma once

#include <QString>

// Creates the per-user data folder when it is missing and puts a copy of the
// duration probe into it. An existing copy is never replaced, whatever the
// shipped one looks like. Failures are not reported: later steps simply find
// no folder or no probe. Returns the folder with its trailing "/".
QString PrepareDataFolder(const QString &folder, const QString &probeSource);

// Name of the probe's copy inside the data folder.
QString ProbeToolCopy(const QString &folder);
