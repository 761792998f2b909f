#include "ui/StreamLabels.h"

#include <QHash>
#include <QLocale>

#include <unicode/uloc.h>

namespace {

struct Codec {
    quint8 codingType;
    const char* name;
};

// The names on the discs' boxes and in the receivers' displays.
constexpr Codec kCodecs[] = {
    {0x80, "LPCM"},   {0x81, "Dolby Digital"}, {0x82, "DTS"},       {0x83, "Dolby TrueHD"},
    {0x84, "E-AC-3"}, {0x85, "DTS-HD"},        {0x86, "DTS-HD MA"}, {0xA1, "E-AC-3"},
    {0xA2, "DTS Express"},
};

QString CodecName(quint8 codingType)
{
    for (const Codec& codec : kCodecs) {
        if (codec.codingType == codingType)
            return QLatin1String(codec.name);
    }
    return QString();
}

QString ChannelsName(quint8 audioFormat, const ChannelWords& words)
{
    switch (audioFormat) {
    case 1: return words.mono;
    case 3: return words.stereo;
    case 6:
    case 12: return words.multichannel;
    default: return QString();
    }
}

QString Joined(const QStringList& parts)
{
    QStringList present;
    for (const QString& part : parts) {
        if (!part.isEmpty())
            present << part;
    }
    return present.join(QLatin1Char(' '));
}

} // namespace

QString LanguageDisplayName(const QByteArray& code, const QString& interfaceLocale)
{
    const QString text = QString::fromLatin1(code.left(code.indexOf('\0') < 0 ? code.size() : code.indexOf('\0')));
    const QLocale::Language language = QLocale::codeToLanguage(text, QLocale::ISO639Part2);
    if (language == QLocale::AnyLanguage || language == QLocale::C)
        return text.toUpper();
    // The two-letter form ICU keys its names by ("ja" for "jpn").
    const QByteArray icuCode = QLocale::languageToCode(language, QLocale::ISO639Part1).toLatin1();
    const QByteArray display = interfaceLocale.toLatin1();
    UChar name[128];
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = uloc_getDisplayLanguage(icuCode.isEmpty() ? text.toLatin1().constData() : icuCode.constData(),
                                                   display.constData(), name, 128, &status);
    if (U_FAILURE(status) || length <= 0 || length > 128)
        return QLocale::languageToString(language);
    QString result = QString::fromUtf16(reinterpret_cast<const char16_t*>(name), length);
    // Languages are written with a capital in a menu entry, in every interface language.
    if (!result.isEmpty())
        result[0] = result[0].toUpper();
    return result;
}

QStringList StreamLabels(const QList<STREAM_INFO>& streams, bool audio,
                         const QString& interfaceLocale, const ChannelWords& words)
{
    QStringList labels;
    QHash<QString, int> uses;
    for (const STREAM_INFO& stream : streams) {
        const QString language = LanguageDisplayName(stream.language, interfaceLocale);
        const QString label = audio ? Joined({language, CodecName(stream.codingType),
                                             ChannelsName(stream.audioFormat, words)})
                                    : language;
        labels << label;
        ++uses[label];
    }
    for (int k = 0; k < labels.size(); ++k) {
        if (uses.value(labels[k]) > 1)
            labels[k] += QStringLiteral(" #") + QString::number(k + 1);
    }
    return labels;
}
