#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <algorithm>

// Watches the event loop: the largest lateness of a 10 ms timer, that is how
// long the loop was held up beyond its next due turn.
class LoopWatch : public QObject
{
public:
    LoopWatch()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            if (m_last)
                m_worst = std::max(m_worst, (now - m_last) / 1e6 - 10.0);
            m_last = now;
        });
        m_clock.start();
        m_timer.start(10);
    }
    double worstMs() const { return m_worst; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    double m_worst = 0;
};
