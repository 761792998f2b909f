#pragma once

#include <QString>
#include <QStringList>

// Media made at run time with FFmpeg and dvdauthor, so no test depends on
// files that are not ours.
namespace TestMedia {

// Runs a program to its end; false (with its error output in `log`) when it
// fails or takes longer than timeoutMs.
bool Run(const QString& program, const QStringList& arguments, QString* log = nullptr,
         int timeoutMs = 60000);

// A Matroska clip: 320x240 test pattern, two audio tracks (eng 440 Hz,
// fra 880 Hz), one subtitle track (deu).
bool MakeClip(const QString& path, int seconds);
// An audio-only file in a container without a duration (raw ADTS AAC).
bool MakeRawAudio(const QString& path, int seconds);
// A DVD folder (VIDEO_TS) with one title per entry of `seconds`; with
// chapterSeconds, each title has a chapter at every multiple of it.
bool MakeDvd(const QString& folder, const QList<int>& seconds, const QString& workFolder,
             int chapterSeconds = 0);
// An MPEG-2 transport stream in Blu-ray's 192-byte packet form, with one
// video and the given number of audio streams.
bool MakeM2ts(const QString& path, int seconds, int audioStreams, int toneHz);

}
