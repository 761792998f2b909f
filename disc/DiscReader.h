#pragma once

#include "disc/BlurayTitleList.h"
#include "disc/BlurayTitleState.h"
#include "disc/DiscDetection.h"

#include <QObject>
#include <QString>
#include <memory>

// Reads a disc folder on a thread of its own, what it holds (DetectDiscKind)
// and, for a Blu-ray, the disc (ReadBlurayDisc), and hands the result back on
// the thread the reader lives in, so that a slow drive (a disc spinning up
// takes seconds even to be listed) never holds up the window.
//
// Only the latest read counts: a new read() or cancel() drops every earlier
// one, whose result then never arrives, and tells its worker to stop before
// the next playlist file. A read that is still busy in a file when a new one
// comes is left to end on its own thread; the new one does not wait for it.
// Destroying the reader drops its read and waits a moment at most: a worker
// stuck in a slow file ends later by itself and needs nothing of the reader.
class DiscReader : public QObject {
    Q_OBJECT

public:
    explicit DiscReader(QObject* parent = nullptr);
    ~DiscReader() override;

    // Starts reading folder (the folder that holds BDMV or VIDEO_TS).
    void read(const QString& folder);
    // Drops the read in progress, if any.
    void cancel();
    // True from read() until finished() or cancel().
    bool isReading() const { return job_ != nullptr; }

signals:
    // What the folder of the latest read() holds; for a Blu-ray, what
    // ReadBlurayDisc gives and its tables (BlurayTitleState::ForDisc), made
    // on the reading thread; otherwise an empty disc of that folder.
    void finished(DiscKind kind, const BlurayDisc& disc, const BlurayTitleState& tables);

private:
    struct Job;
    class Worker;

    void deliver(const std::shared_ptr<Job>& job, DiscKind kind, const BlurayDisc& disc,
                 const BlurayTitleState& tables);

    std::shared_ptr<Worker> worker_;  // shared with its thread, which may outlive the reader
    std::shared_ptr<Job> job_;        // the latest read, null when none is in progress
};
