#pragma once

#include <QByteArray>
#include <QString>

// The eight characters after the first "Duration: " in the probe's error
// output ("01:32:07" of "Duration: 01:32:07.45"), or empty when there is none.
QString DurationTextFromProbeOutput(const QByteArray &errorOutput);

// Runs the probe on one file and returns its duration text. The probe gets
// its arguments as a list, never through a shell, and at most timeoutMs to
// answer; a probe that is missing, fails or runs out of time gives no text.
QString ProbeDuration(const QString &probe, const QString &file, int timeoutMs = 5000);
