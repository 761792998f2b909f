#include "disc/TimeText.h"

#include <QStringList>

QString FormatSeconds(qint64 seconds)
{
    if (seconds < 0)
        seconds = 0;
    return QString::asprintf("%02lld:%02lld:%02lld", seconds / 3600, (seconds % 3600) / 60,
                             seconds % 60);
}

qint64 TimeTextSeconds(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() != 3)
        return 0;
    qint64 values[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        const QString& part = parts.at(i);
        // Digits only (no sign, no blanks) and short enough that the sum cannot overflow.
        if (part.isEmpty() || part.size() > 12)
            return 0;
        for (const QChar c : part) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return 0;
        }
        values[i] = part.toLongLong();
    }
    return values[0] * 3600 + values[1] * 60 + values[2];
}
