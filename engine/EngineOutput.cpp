#include "engine/EngineOutput.h"

#include <array>

namespace {

struct LineRule
{
    EngineLineKind kind;
    const char *text;
    bool atStart; // prefix test, else substring test
};

constexpr std::array<LineRule, 11> Rules = {{
    {EngineLineKind::PositionAnswer, "ANS_TIME_POSITION", true},
    {EngineLineKind::LengthAnswer, "ANS_LENGTH", true},
    {EngineLineKind::PercentAnswer, "ANS_PERCENT_POSITION", true},
    {EngineLineKind::Playing, "Playing", false},
    {EngineLineKind::EndOfFile, "(End of file)", false},
    {EngineLineKind::Quit, "(Quit)", false},
    {EngineLineKind::Screenshot, "*** screenshot", false},
    {EngineLineKind::AudioStream, ", -aid", false},
    {EngineLineKind::SubtitleStream, ", -sid", false},
    {EngineLineKind::VideoStarts, "VIDEO:", false},
    {EngineLineKind::Encrypted, "Encrypted disc (", true},
}};

} // namespace

EngineLineKind ClassifyEngineLine(const QByteArray &line)
{
    for (const LineRule &rule : Rules)
        if (rule.atStart ? line.startsWith(rule.text) : line.contains(rule.text))
            return rule.kind;
    return EngineLineKind::Other;
}

qint64 LengthAnswerSeconds(const QByteArray &line)
{
    // "ANS_LENGTH=" is eleven characters.
    bool ok = false;
    const double seconds = line.mid(11).trimmed().toDouble(&ok);
    if (!ok || !(seconds >= 0) || seconds > 1e12)
        return 0;
    return qint64(seconds);
}

QString EncryptionScheme(const QByteArray &line)
{
    const int open = line.indexOf('(');
    const int close = line.indexOf(')', open);
    return open < 0 || close < 0 ? QString() : QString::fromUtf8(line.mid(open + 1, close - open - 1));
}

QByteArray ScreenshotPath(const QByteArray &line)
{
    const int open = line.indexOf('\'');
    if (open < 0)
        return QByteArray();
    const int close = line.lastIndexOf('\'');
    if (close > open)
        return line.mid(open + 1, close - open - 1);
    // No closing quote: the name runs to the end of the line.
    QByteArray name = line.mid(open + 1);
    while (name.endsWith('\n') || name.endsWith('\r'))
        name.chop(1);
    return name;
}
