#pragma once

#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>

// Runs an engine process the way the main window does (arguments as a list,
// standard input and output as pipes) and collects its output lines.
class EngineDriver {
public:
    EngineDriver();
    ~EngineDriver();

    void Start(const QString& program, const QStringList& arguments,
               const QStringList& extraEnvironment = {});
    void Send(const QByteArray& command);   // one line, without its "\n"
    void CloseInput();

    // Waits until a line containing `text` arrives after line number `from`;
    // the line's index, or -1 on time-out.
    int WaitForLine(const QString& text, int timeoutMs, int from = 0);
    // The value of the next ANS_ line for `key` answered after `command`.
    double Ask(const QByteArray& command, const QString& key, int timeoutMs = 3000);
    // Asks `command` again and again until the ANS_ value for `key` satisfies
    // `wanted` or `timeoutMs` passes. The last value answered, or -1 if no
    // answer came at all; the answer lines stay in Lines().
    double AskUntil(const QByteArray& command, const QString& key,
                    const std::function<bool(double)>& wanted, int timeoutMs = 15000);
    bool WaitForExit(int timeoutMs);

    const QStringList& Lines() const { return lines_; }
    QList<qint64> LineTimes() const { return times_; }   // ms since Start
    QString StandardError();
    QProcess& Process() { return process_; }

private:
    void Collect();
    int AskLine(const QByteArray& command, const QString& key, int timeoutMs);

    QProcess process_;
    QElapsedTimer clock_;
    QByteArray partial_;
    QStringList lines_;
    QList<qint64> times_;
    QByteArray errors_;
};

// The trace file Player writes with PLAYER_TRACE: waits until an entry
// "name=value..." starting with `entry` shows up.
bool WaitForTrace(const QString& path, const QString& entry, int timeoutMs);
QString LastTraceValue(const QString& path, const QString& name);
