#pragma once

#include "engine/EngineCommand.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

// Where playback stands. Every engine run goes Starting → Playing ⇄ Paused →
// Stopping → Idle; an engine that ends by itself goes straight to Idle.
enum class PlaybackState {
    Idle,     // no engine, or one we no longer care about
    Starting, // asked to start, not running yet
    Playing,
    Paused,
    Stopping, // told to quit, waiting for it to go
};

// The one owner of the running engine: its process, the reading of its output
// and the timer that ends an engine that will not quit. It never waits for
// the engine on the caller's thread: an engine that is replaced or stopped is
// let go and cleaned up once it has ended.
class EngineSession : public QObject
{
    Q_OBJECT
public:
    explicit EngineSession(QObject *parent = nullptr);
    ~EngineSession() override;

    PlaybackState state() const { return m_state; }
    // An engine runs (or is starting) and has not been told to quit.
    bool isActive() const;
    // Starting or Playing: the picture moves.
    bool isPlaying() const;
    // What the active engine was started with; empty when none is active.
    QString medium() const { return isActive() ? m_medium : QString(); }
    // Counts the runs, so that a caller can tell whether a run ended meanwhile.
    quint64 run() const { return m_run; }
    QProcess *process() const { return m_process; }

    // Lets any earlier engine go (ended by force, never waited for) and
    // starts a new one for medium, in folder when one is given.
    void start(const QString &program, const QStringList &arguments, const QString &medium,
               const QString &folder = QString());
    // Playing → Paused: the engine is told and its output is left unread.
    void pause();
    // Paused → Playing. Writes nothing: the engine leaves its pause on the
    // next command that does not keep it.
    void resume();
    // Takes over an engine of program started ahead of need ("-standby",
    // see EngineHeadStart), waiting for its command line. The next start() of
    // the same program without a folder of its own hands the arguments to it
    // instead of starting a process; any other start lets it go.
    void adoptSpare(QProcess *spare, const QString &program);
    // An engine started ahead of need waits: a medium plays right away.
    bool hasSpare() const { return m_spare != nullptr; }

    // Tells an active engine to quit; one that is still there after graceMs
    // is ended by force.
    void stop(int graceMs = DefaultQuitGraceMs);

    // Writes a command while an engine process runs; otherwise it is lost,
    // as the engine would lose it.
    void send(const QByteArray &command);
    void send(EngineCommand command, int argument = 0) { send(FormatEngineCommand(command, argument)); }
    // The same, but a paused engine stays paused.
    void sendKeepingPause(EngineCommand command, int argument = 0);

    // The next whole line of engine output (at most MaxLineLength bytes;
    // longer lines are dropped piece by piece, never buffered whole). False
    // when no line waits or the output is not being read (paused, stopping).
    bool readLine(QByteArray &line);

    static constexpr int DefaultQuitGraceMs = 2000;
    static constexpr qint64 MaxLineLength = 4096;
    // Lines kept for after a pause; beyond them the output waits unread.
    static constexpr int MaxHeldLines = 1000;

signals:
    void stateChanged(PlaybackState state);
    // Output waits to be read with readLine().
    void outputReady();
    void failedToStart();
    // The engine went away without being told to; failed when it crashed
    // or ended with an error status.
    void endedByItself(bool failed);
    // While the output is not read (paused, stopping), the engine announced
    // a screenshot file: it is there now, whatever else waits. Every other
    // line of a pause is kept for readLine() after the resume.
    void screenshotAnnounced(const QByteArray &line);

private:
    void setState(PlaybackState state);
    bool readsOutput() const { return isPlaying(); }
    bool takeLine(QByteArray &line);
    void pickAnnouncements();
    void letGo();
    static void letGo(QProcess *process);
    QProcess *takeSpare(const QString &program, const QString &folder);
    void onFinished(int exitCode, QProcess::ExitStatus status);
    void onError(QProcess::ProcessError error);

    PlaybackState m_state = PlaybackState::Idle;
    QProcess *m_process = nullptr;
    QProcess *m_spare = nullptr; // warmed up, not yet given its arguments
    QString m_spareProgram;
    QString m_medium;
    QTimer m_quitTimer;
    quint64 m_run = 0;
    bool m_skippingLongLine = false;
    QList<QByteArray> m_held; // lines read during a pause, not yet handled
};
