#pragma once

#include "disc/MplsTypes.h"

#include <QList>
#include <QString>
#include <QStringList>

// The words of the interface's language the labels use for channels.
struct ChannelWords {
    QString mono;
    QString stereo;
    QString multichannel;
};

// What the disc page's Audio and Subtitle entries read for a playlist's
// streams: the language named in the interface's language (interfaceLocale,
// "de" or "zh_CN"), for audio the codec as people know it (LPCM, Dolby
// Digital, DTS-HD MA, ...) and the channels. Streams whose labels would
// read the same get their stream number (1 for the first of the list).
QStringList StreamLabels(const QList<STREAM_INFO>& streams, bool audio,
                         const QString& interfaceLocale, const ChannelWords& words);

// The language of an ISO 639-2 code ("jpn", "ger") named in the language of
// interfaceLocale ("Japanisch" for "de"); the code in upper case when it
// names no language known.
QString LanguageDisplayName(const QByteArray& code, const QString& interfaceLocale);
