#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

class QProcess;

// Runs the duration probe on many files without ever waiting for one: each
// probe is a child process, a few run at once, each has a time limit, and
// each result comes back as a signal through the event loop of the queue's
// thread.
//
// Files asked for later go ahead of those still waiting, so the file the
// user opened last is probed next. A file already waiting moves up; one whose
// probe is running is not started twice. A probe that fails to start, fails,
// or outlives its limit (it is then killed) gives an empty duration.
class ProbeQueue : public QObject
{
    Q_OBJECT

public:
    explicit ProbeQueue(QObject *parent = nullptr);
    // Kills the running probes and waits a moment at most for each.
    ~ProbeQueue() override;

    // The probe program, run as "program -i FILE"; taken when a probe starts.
    void setProgram(const QString &program) { m_program = program; }
    // Probes at once; the default is one per core, and at least two, so a
    // probe that hangs never holds up all the others.
    void setParallel(int count);
    int parallel() const { return m_parallel; }
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }

    // Probes the files ahead of any still waiting, in the order given.
    void probe(const QStringList &files);

    int running() const { return int(m_running.size()); }
    int waiting() const { return int(m_waiting.size()); }
    bool isIdle() const { return m_running.isEmpty() && m_waiting.isEmpty(); }

    // The parallel count used when none is set.
    static int DefaultParallel();

signals:
    // The duration text of one file (the eight characters after
    // "Duration: "), or empty.
    void probed(const QString &file, const QString &duration);
    // The last waiting or running probe has given its result.
    void idle();

private:
    void startWaiting();
    void startOne(const QString &file);
    void finish(QProcess *process, const QString &duration);
    void letGo(QProcess *process);

    QString m_program;
    int m_parallel = DefaultParallel();
    int m_timeoutMs = 5000;
    QStringList m_waiting;
    QSet<QString> m_waitingSet;
    QHash<QProcess *, QString> m_running;
    bool m_starting = false;
};
