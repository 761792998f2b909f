#include "EngineDriver.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>

EngineDriver::EngineDriver() = default;

EngineDriver::~EngineDriver()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(3000);
    }
}

void EngineDriver::Start(const QString& program, const QStringList& arguments,
                         const QStringList& extraEnvironment)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& setting : extraEnvironment)
        environment.insert(setting.section('=', 0, 0), setting.section('=', 1));
    process_.setProcessEnvironment(environment);
    clock_.start();
    process_.start(program, arguments, QIODevice::ReadWrite);
    process_.waitForStarted(5000);
}

void EngineDriver::Send(const QByteArray& command)
{
    process_.write(command + "\n");
    process_.waitForBytesWritten(1000);
}

void EngineDriver::CloseInput() { process_.closeWriteChannel(); }

void EngineDriver::Collect()
{
    partial_ += process_.readAllStandardOutput();
    errors_ += process_.readAllStandardError();
    for (int end; (end = partial_.indexOf('\n')) >= 0;) {
        lines_ << QString::fromLocal8Bit(partial_.left(end));
        times_ << clock_.elapsed();
        partial_.remove(0, end + 1);
    }
}

int EngineDriver::WaitForLine(const QString& text, int timeoutMs, int from)
{
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        Collect();
        for (int i = from; i < lines_.size(); ++i)
            if (lines_[i].contains(text))
                return i;
        if (waited.elapsed() > timeoutMs)
            return -1;
        if (process_.state() == QProcess::NotRunning) {
            Collect();
            if (waited.elapsed() > 0 && process_.bytesAvailable() == 0) {
                for (int i = from; i < lines_.size(); ++i)
                    if (lines_[i].contains(text))
                        return i;
                return -1;
            }
        }
        process_.waitForReadyRead(50);
    }
}

int EngineDriver::AskLine(const QByteArray& command, const QString& key, int timeoutMs)
{
    Collect();
    const int from = lines_.size();
    Send(command);
    return WaitForLine(key + "=", timeoutMs, from);
}

double EngineDriver::Ask(const QByteArray& command, const QString& key, int timeoutMs)
{
    const int at = AskLine(command, key, timeoutMs);
    return at < 0 ? -1.0 : lines_[at].section('=', 1).toDouble();
}

double EngineDriver::AskUntil(const QByteArray& command, const QString& key,
                              const std::function<bool(double)>& wanted, int timeoutMs)
{
    QElapsedTimer waited;
    waited.start();
    double value = -1.0;
    for (;;) {
        const int left = int(qMax<qint64>(0, timeoutMs - waited.elapsed()));
        const int at = AskLine(command, key, qBound(100, left, 3000));
        if (at >= 0) {
            value = lines_[at].section('=', 1).toDouble();
            if (wanted(value))
                return value;
        }
        if (waited.elapsed() >= timeoutMs || process_.state() == QProcess::NotRunning)
            return value;
        QThread::msleep(50);
    }
}

bool EngineDriver::WaitForExit(int timeoutMs)
{
    const bool done = process_.state() == QProcess::NotRunning || process_.waitForFinished(timeoutMs);
    Collect();
    return done;
}

QString EngineDriver::StandardError()
{
    Collect();
    return QString::fromLocal8Bit(errors_);
}

bool WaitForTrace(const QString& path, const QString& entry, int timeoutMs)
{
    QElapsedTimer waited;
    waited.start();
    do {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            for (const QByteArray& line : file.readAll().split('\n'))
                if (QString::fromUtf8(line).startsWith(entry))
                    return true;
        }
        QThread::msleep(50);
    } while (waited.elapsed() < timeoutMs);
    return false;
}

QString LastTraceValue(const QString& path, const QString& name)
{
    QFile file(path);
    QString value;
    if (file.open(QIODevice::ReadOnly))
        for (const QByteArray& line : file.readAll().split('\n'))
            if (line.startsWith(name.toUtf8() + "="))
                value = QString::fromUtf8(line.mid(name.size() + 1));
    return value;
}
