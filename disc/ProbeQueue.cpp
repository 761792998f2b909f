#include "disc/ProbeQueue.h"

#include "disc/ProbeDuration.h"

#include <QProcess>
#include <QThread>
#include <QTimer>

#include <algorithm>

#include <unistd.h>

namespace {

constexpr int ProbeNiceness = 10;

} // namespace

ProbeQueue::ProbeQueue(QObject *parent) : QObject(parent) {}

ProbeQueue::~ProbeQueue()
{
    // Running probes and killed ones not yet reaped alike: a probe must not
    // outlive the window that asked for it.
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

void ProbeQueue::probe(const QStringList &files)
{
    QStringList ahead;
    QSet<QString> taken;
    for (const QString &file : files) {
        if (taken.contains(file) || std::find(m_running.cbegin(), m_running.cend(), file) != m_running.cend())
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

void ProbeQueue::startWaiting()
{
    // A probe that cannot start ends inside start(): its result, and the
    // start of the next one, are left to the loop below.
    if (m_starting)
        return;
    m_starting = true;
    while (!m_waiting.isEmpty() && m_running.size() < m_parallel) {
        const QString file = m_waiting.takeFirst();
        m_waitingSet.remove(file);
        startOne(file);
    }
    m_starting = false;
}

void ProbeQueue::startOne(const QString &file)
{
    auto *process = new QProcess(this);
    process->setStandardOutputFile(QProcess::nullDevice());
    m_running.insert(process, file);
    auto *limit = new QTimer(process);
    limit->setSingleShot(true);
    connect(limit, &QTimer::timeout, this, [this, process] { finish(process, QString()); });
    connect(process, &QProcess::finished, this, [this, process] {
        finish(process, DurationTextFromProbeOutput(process->readAllStandardError()));
    });
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            finish(process, QString());
    });
    // Below the window and the engine: a heap of probes must not take the
    // processor from the picture or from the user's hand.
    process->setChildProcessModifier([] { (void)!nice(ProbeNiceness); });
    limit->start(m_timeoutMs);
    process->start(m_program, {QStringLiteral("-i"), file}, QIODevice::ReadOnly);
}

void ProbeQueue::finish(QProcess *process, const QString &duration)
{
    const auto run = m_running.find(process);
    if (run == m_running.end())
        return; // already given up on
    const QString file = run.value();
    m_running.erase(run);
    letGo(process);
    startWaiting();
    emit probed(file, duration);
    if (isIdle())
        emit idle();
}

void ProbeQueue::letGo(QProcess *process)
{
    process->disconnect(this);
    if (process->state() == QProcess::NotRunning) {
        process->deleteLater();
        return;
    }
    // Killed, and reaped by the event loop later: never waited for here.
    connect(process, &QProcess::finished, process, &QObject::deleteLater);
    process->kill();
}
