#include "engine/EngineHeadStart.h"

#include <QProcess>
#include <QThread>

EngineHeadStart::EngineHeadStart(const QString &program)
    : m_program(program)
{
    m_thread = QThread::create([this] {
        m_process = new QProcess;
        m_process->setStandardErrorFile(QProcess::nullDevice());
        m_process->start(m_program, {QStringLiteral("-standby")}, QIODevice::ReadWrite);
        // Only the thread an object lives on may move it.
        m_handOver.acquire();
        m_process->moveToThread(m_receiver);
    });
    m_thread->start();
}

EngineHeadStart::~EngineHeadStart()
{
    // Never taken: the waiting engine is not needed.
    if (QProcess *unused = take()) {
        unused->kill();
        unused->waitForFinished(1000);
        delete unused;
    }
}

QProcess *EngineHeadStart::take()
{
    if (!m_thread)
        return nullptr;
    m_receiver = QThread::currentThread();
    m_handOver.release();
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    return m_process;
}
