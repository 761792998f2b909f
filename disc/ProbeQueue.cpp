#include "disc/ProbeQueue.h"

#include "disc/ProbeDuration.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <csignal>

#include <sys/prctl.h>
#include <unistd.h>

namespace {

constexpr int ProbeNiceness = 10;
// Longer than any answer line: output without a line end by then is garbage.
constexpr int LongestAnswer = 4096;

// One request line: the path's bytes, each backslash doubled and each
// newline written as "\n", so that every path keeps to its own line.
QByteArray RequestLine(const QString &file)
{
    const QByteArray path = QFile::encodeName(file);
    QByteArray line;
    line.reserve(path.size() + 1);
    for (const char byte : path) {
        if (byte == '\\')
            line += "\\\\";
        else if (byte == '\n')
            line += "\\n";
        else
            line += byte;
    }
    return line + '\n';
}

} // namespace

ProbeQueue::ProbeQueue(QObject *parent) : QObject(parent)
{
    // Before the application object goes, while its event loop still ran.
    if (QCoreApplication *app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &ProbeQueue::endAll);
}

ProbeQueue::~ProbeQueue()
{
    endAll();
}

void ProbeQueue::endAll()
{
    // Busy, waiting and killed ones not yet reaped alike: a probe must not
    // outlive the window that asked for it.
    m_probes.clear();
    for (QProcess *process : findChildren<QProcess *>(Qt::FindDirectChildrenOnly)) {
        process->disconnect(this);
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(1000);
        }
    }
}

int ProbeQueue::DefaultParallel()
{
    return std::max(2, QThread::idealThreadCount());
}

void ProbeQueue::setParallel(int count)
{
    m_parallel = std::max(1, count);
    startWaiting();
}

int ProbeQueue::running() const
{
    return int(std::count_if(m_probes.cbegin(), m_probes.cend(), [](const Probe &p) { return p.busy; }));
}

void ProbeQueue::probe(const QStringList &files)
{
    QSet<QString> busy;
    for (const Probe &p : std::as_const(m_probes))
        if (p.busy)
            busy.insert(p.file);
    QStringList ahead;
    QSet<QString> taken;
    for (const QString &file : files) {
        if (taken.contains(file) || busy.contains(file))
            continue;
        taken.insert(file);
        ahead << file;
        if (m_waitingSet.contains(file))
            m_waiting.removeOne(file);
    }
    m_waiting = ahead + m_waiting;
    m_waitingSet.unite(taken);
    startWaiting();
}

void ProbeQueue::holdFor(int ms)
{
    if (!m_hold) {
        m_hold = new QTimer(this);
        m_hold->setSingleShot(true);
        connect(m_hold, &QTimer::timeout, this, &ProbeQueue::startWaiting);
    }
    m_hold->start(ms);
}

void ProbeQueue::startWaiting()
{
    // A probe process that cannot start ends inside start(): its file's
    // result, and the next file, are left to the loop below.
    if (m_starting || (m_hold && m_hold->isActive()))
        return;
    m_starting = true;
    while (!m_waiting.isEmpty() && running() < m_parallel) {
        const QString file = m_waiting.takeFirst();
        m_waitingSet.remove(file);
        ask(file);
    }
    m_starting = false;
}

void ProbeQueue::ask(const QString &file)
{
    QProcess *process = freeProcess();
    if (!process)
        process = startProcess();
    Probe &probe = m_probes[process];
    probe.file = file;
    probe.busy = true;
    probe.output.clear();
    probe.limit->start(m_timeoutMs);
    if (process->state() == QProcess::NotRunning)
        process->start(m_program, {QStringLiteral("-batch")});
    // Taken by the pipe once the process runs; gone with it if it never does.
    if (m_probes.contains(process))
        process->write(RequestLine(file));
}

QProcess *ProbeQueue::freeProcess()
{
    for (auto probe = m_probes.cbegin(); probe != m_probes.cend(); ++probe)
        if (!probe->busy)
            return probe.key();
    return nullptr;
}

QProcess *ProbeQueue::startProcess()
{
    auto *process = new QProcess(this);
    process->setStandardErrorFile(QProcess::nullDevice());
    Probe &probe = m_probes[process];
    probe.limit = new QTimer(process);
    probe.limit->setSingleShot(true);
    connect(probe.limit, &QTimer::timeout, this, [this, process] { answer(process, QString(), false); });
    connect(process, &QProcess::readyReadStandardOutput, this, [this, process] { readAnswer(process); });
    connect(process, &QProcess::finished, this, [this, process] { ended(process); });
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            ended(process);
    });
    const pid_t player = getpid();
    process->setChildProcessModifier([player] {
        // Below the window and the engine: a heap of probes must not take
        // the processor from the picture or from the user's hand.
        (void)!nice(ProbeNiceness);
        // And gone with the player, however it ends (a signal included).
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != player)
            _exit(127);
    });
    return process;
}

void ProbeQueue::readAnswer(QProcess *process)
{
    const auto probe = m_probes.find(process);
    if (probe == m_probes.end())
        return;
    probe->output += process->readAllStandardOutput();
    const int end = int(probe->output.indexOf('\n'));
    if (end < 0) {
        if (probe->output.size() > LongestAnswer)
            answer(process, QString(), false);
        return;
    }
    // Exactly one "Duration: " line per file asked for; anything else means
    // the process is out of step, and its next answers could not be trusted.
    const QByteArray line = probe->output.left(end + 1);
    const bool inStep = probe->busy && line.startsWith("Duration: ") && end + 1 == probe->output.size();
    if (!probe->busy) {
        letGo(process);
        return;
    }
    answer(process, line.startsWith("Duration: ") ? DurationTextFromProbeOutput(line) : QString(), inStep);
}

void ProbeQueue::ended(QProcess *process)
{
    readAnswer(process);
    const auto probe = m_probes.constFind(process);
    if (probe == m_probes.cend())
        return;
    if (probe->busy)
        answer(process, QString(), false);
    else
        letGo(process);
}

void ProbeQueue::answer(QProcess *process, const QString &duration, bool keepProcess)
{
    const auto probe = m_probes.find(process);
    if (probe == m_probes.end() || !probe->busy)
        return; // already given up on
    const QString file = probe->file;
    probe->busy = false;
    probe->file.clear();
    probe->output.clear();
    probe->limit->stop();
    if (!keepProcess)
        letGo(process);
    startWaiting();
    emit probed(file, duration);
    if (isIdle())
        emit idle();
}

void ProbeQueue::letGo(QProcess *process)
{
    m_probes.remove(process);
    process->disconnect(this);
    if (process->state() == QProcess::NotRunning) {
        process->deleteLater();
        return;
    }
    // Killed, and reaped by the event loop later: never waited for here.
    connect(process, &QProcess::finished, process, &QObject::deleteLater);
    process->kill();
}
