#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

class QProcess;
class QTimer;

// Runs the duration probe on many files without ever waiting for one. A few
// probe processes, started when first needed, stay and answer one file after
// the other ("tool -batch", whose request and answer lines tools/tool
// describes), so that a duration costs its parse and not the probe's start.
// Each result comes back as a signal through the event loop of the queue's
// thread.
//
// Files asked for later go ahead of those still waiting, so the file the
// user opened last is probed next. A file already waiting moves up; one whose
// probe is running is not started twice. Each file has a time limit: a file
// whose probe outlives it, crashes or answers out of step costs that probe
// process, which is killed (and replaced when the next file needs one),
// never the files of the others. Every such failure, and a probe that cannot
// start, gives an empty duration.
class ProbeQueue : public QObject
{
    Q_OBJECT

public:
    explicit ProbeQueue(QObject *parent = nullptr);
    // Kills the probe processes and waits a moment at most for each.
    ~ProbeQueue() override;

    // The probe program, run as "program -batch"; taken when a probe
    // process starts.
    void setProgram(const QString &program) { m_program = program; }
    // Probe processes at once; the default is one per core, and at least
    // two, so a file that hangs never holds up all the others.
    void setParallel(int count);
    int parallel() const { return m_parallel; }
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }

    // Probes the files ahead of any still waiting, in the order given.
    void probe(const QStringList &files);
    // Starts nothing for the next ms milliseconds (files asked for meanwhile
    // wait in their order): the processor goes to something more urgent.
    void holdFor(int ms);

    int running() const;
    int waiting() const { return int(m_waiting.size()); }
    bool isIdle() const { return running() == 0 && m_waiting.isEmpty(); }
    // The probe processes alive, busy or waiting for the next file.
    int processes() const { return int(m_probes.size()); }

    // The parallel count used when none is set.
    static int DefaultParallel();

signals:
    // The duration text of one file (the eight characters after
    // "Duration: "), or empty.
    void probed(const QString &file, const QString &duration);
    // The last waiting or running probe has given its result.
    void idle();

private:
    struct Probe {
        QTimer *limit = nullptr;
        QString file;          // the file asked for, while busy
        bool busy = false;
        QByteArray output;     // an answer not yet whole
    };

    void startWaiting();
    void ask(const QString &file);
    QProcess *freeProcess();
    QProcess *startProcess();
    void readAnswer(QProcess *process);
    void ended(QProcess *process);
    void answer(QProcess *process, const QString &duration, bool keepProcess);
    void letGo(QProcess *process);
    void endAll();

    QString m_program;
    int m_parallel = DefaultParallel();
    int m_timeoutMs = 5000;
    QStringList m_waiting;
    QSet<QString> m_waitingSet;
    QHash<QProcess *, Probe> m_probes;
    bool m_starting = false;
    QTimer *m_hold = nullptr;
};
