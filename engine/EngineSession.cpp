#include "engine/EngineSession.h"

#include "engine/EngineArguments.h"
#include "engine/EngineOutput.h"

#include <utility>

EngineSession::EngineSession(QObject *parent)
    : QObject(parent)
{
    m_quitTimer.setSingleShot(true);
    connect(&m_quitTimer, &QTimer::timeout, this, [this] {
        if (m_process)
            m_process->kill();
    });
}

EngineSession::~EngineSession()
{
    // No engine plays on without its window; the kill is not waited for.
    letGo();
    letGo(std::exchange(m_spare, nullptr));
}

bool EngineSession::isActive() const
{
    return m_state == PlaybackState::Starting || m_state == PlaybackState::Playing
        || m_state == PlaybackState::Paused;
}

bool EngineSession::isPlaying() const
{
    return m_state == PlaybackState::Starting || m_state == PlaybackState::Playing;
}

void EngineSession::setState(PlaybackState state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged(state);
}

void EngineSession::letGo()
{
    m_quitTimer.stop();
    m_held.clear();
    QProcess *old = std::exchange(m_process, nullptr);
    if (old)
        old->disconnect(this);
    letGo(old);
}

void EngineSession::letGo(QProcess *old)
{
    if (!old)
        return;
    if (old->state() == QProcess::NotRunning) {
        old->deleteLater();
        return;
    }
    // Without a parent, nothing destroys it (and so waits for it) before
    // it has really ended.
    connect(old, &QProcess::finished, old, &QObject::deleteLater);
    connect(old, &QProcess::errorOccurred, old, [old](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            old->deleteLater();
    });
    old->kill();
}

void EngineSession::adoptSpare(QProcess *spare, const QString &program)
{
    letGo(std::exchange(m_spare, spare));
    m_spareProgram = program;
    if (!spare)
        return;
    // One that fails or ends before it is needed is simply not used.
    const auto drop = [this, spare] {
        if (m_spare == spare)
            letGo(std::exchange(m_spare, nullptr));
    };
    connect(spare, &QProcess::finished, this, drop);
    connect(spare, &QProcess::errorOccurred, this, drop);
    if (spare->state() == QProcess::NotRunning)
        drop();
}

QProcess *EngineSession::takeSpare(const QString &program, const QString &folder)
{
    QProcess *spare = std::exchange(m_spare, nullptr);
    if (spare && program == m_spareProgram && folder.isEmpty()) {
        spare->disconnect(this);
        return spare;
    }
    // Only the first start may use it; it would wait for ever otherwise.
    letGo(spare);
    return nullptr;
}

void EngineSession::start(const QString &program, const QStringList &arguments, const QString &medium,
                          const QString &folder)
{
    letGo();
    ++m_run;
    m_medium = medium;
    m_skippingLongLine = false;
    QProcess *spare = takeSpare(program, folder);
    m_process = spare ? spare : new QProcess;
    if (!spare) {
        m_process->setStandardErrorFile(QProcess::nullDevice());
        m_process->setWorkingDirectory(folder);
    }
    connect(m_process, &QProcess::started, this, [this] {
        if (m_state == PlaybackState::Starting)
            setState(PlaybackState::Playing);
    });
    connect(m_process, &QProcess::readyReadStandardOutput, this, [this] {
        if (readsOutput())
            emit outputReady();
        else
            pickAnnouncements();
    });
    connect(m_process, &QProcess::finished, this, &EngineSession::onFinished);
    connect(m_process, &QProcess::errorOccurred, this, &EngineSession::onError);
    setState(PlaybackState::Starting);
    if (!spare) {
        m_process->start(program, arguments, QIODevice::ReadWrite);
        return;
    }
    m_process->write(StandbyLaunchLine(arguments));
    if (m_process->state() == QProcess::Running)
        setState(PlaybackState::Playing);
}

void EngineSession::pause()
{
    if (!isPlaying())
        return;
    send(EngineCommand::Pause);
    setState(PlaybackState::Paused);
}

void EngineSession::resume()
{
    if (m_state != PlaybackState::Paused)
        return;
    setState(PlaybackState::Playing);
    // What the engine said while nobody listened is read now.
    if ((m_process && m_process->bytesAvailable() > 0) || !m_held.isEmpty()) {
        const quint64 run = m_run;
        QMetaObject::invokeMethod(this, [this, run] {
            if (run == m_run && readsOutput())
                emit outputReady();
        }, Qt::QueuedConnection);
    }
}

void EngineSession::stop(int graceMs)
{
    if (!isActive())
        return;
    send(EngineCommand::Quit);
    setState(PlaybackState::Stopping);
    m_quitTimer.start(graceMs);
}

void EngineSession::send(const QByteArray &command)
{
    if (m_process && m_process->state() != QProcess::NotRunning)
        m_process->write(command);
}

void EngineSession::sendKeepingPause(EngineCommand command, int argument)
{
    const QByteArray line = FormatEngineCommand(command, argument);
    static const QByteArray keep("pausing_keep ");
    send(m_state == PlaybackState::Paused && !line.startsWith(keep) ? keep + line : line);
}

bool EngineSession::readLine(QByteArray &line)
{
    if (!readsOutput())
        return false;
    if (!m_held.isEmpty()) {
        line = m_held.takeFirst();
        return true;
    }
    return takeLine(line);
}

void EngineSession::pickAnnouncements()
{
    // A stopping engine's other lines will never be wanted.
    const bool keep = m_state == PlaybackState::Paused;
    QByteArray line;
    while ((!keep || m_held.size() < MaxHeldLines) && takeLine(line)) {
        if (ClassifyEngineLine(line) == EngineLineKind::Screenshot)
            emit screenshotAnnounced(line);
        else if (keep)
            m_held.append(line);
    }
}

bool EngineSession::takeLine(QByteArray &line)
{
    while (m_process) {
        if (!m_process->canReadLine()) {
            // A line that never ends is dropped in pieces.
            if (m_process->bytesAvailable() < MaxLineLength)
                return false;
            m_process->read(MaxLineLength);
            m_skippingLongLine = true;
            continue;
        }
        line = m_process->readLine(MaxLineLength + 1);
        if (!line.endsWith('\n')) {
            m_skippingLongLine = true;
            continue;
        }
        if (m_skippingLongLine) {
            m_skippingLongLine = false;
            continue;
        }
        return true;
    }
    return false;
}

void EngineSession::onFinished(int exitCode, QProcess::ExitStatus status)
{
    const bool asked = m_state == PlaybackState::Stopping;
    m_quitTimer.stop();
    // A screenshot announced last, during a pause or the quit, still counts.
    if (!readsOutput())
        pickAnnouncements();
    m_held.clear();
    QProcess *ended = std::exchange(m_process, nullptr);
    if (ended) {
        ended->disconnect(this);
        ended->deleteLater();
    }
    setState(PlaybackState::Idle);
    if (!asked)
        emit endedByItself(exitCode != 0 || status == QProcess::CrashExit);
}

void EngineSession::onError(QProcess::ProcessError error)
{
    if (error != QProcess::FailedToStart)
        return; // a crash also ends in finished()
    m_quitTimer.stop();
    QProcess *failed = std::exchange(m_process, nullptr);
    if (failed) {
        failed->disconnect(this);
        failed->deleteLater();
    }
    setState(PlaybackState::Idle);
    emit failedToStart();
}
