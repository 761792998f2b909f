#pragma once

#include <QSemaphore>
#include <QString>

class QProcess;
class QThread;

// Starts the engine ("-standby") before the application object exists, so
// that it loads its libraries while the application and the window are
// made. A QProcess needs an event dispatcher, which the main thread only gets
// with the application object: the process is started on a thread of its
// own, and handed to the main thread once that can take it.
class EngineHeadStart
{
public:
    explicit EngineHeadStart(const QString &program);
    ~EngineHeadStart();
    EngineHeadStart(const EngineHeadStart &) = delete;
    EngineHeadStart &operator=(const EngineHeadStart &) = delete;

    QString program() const { return m_program; }
    // Once the application object exists: the process, now living on the
    // calling thread and owned by the caller. Null when called twice.
    QProcess *take();

private:
    QString m_program;
    QProcess *m_process = nullptr;
    QThread *m_thread = nullptr;
    QThread *m_receiver = nullptr;
    QSemaphore m_handOver;
};
