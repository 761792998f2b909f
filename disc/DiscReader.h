#pragma once

#include "disc/BlurayTitleList.h"
#include "disc/BlurayTitleState.h"
#include "disc/DiscDetection.h"

#include <QObject>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

class DiscFiles;

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
    // What the reader's owner adds to each Blu-ray or DVD read, on the
    // reading thread once the titles are read (the window decodes a
    // Blu-ray's pictures there and lists a DVD's titles, which on a drive
    // are more files to read); its result comes with finished(). It must not
    // touch the owner: the owner may be gone by then. files are the disc's,
    // a folder's or an image's.
    using Extra = std::function<QVariant(DiscKind, const BlurayDisc&, const DiscFiles&)>;

    explicit DiscReader(QObject* parent = nullptr, Extra extra = {});
    ~DiscReader() override;

    // Starts reading folder (the folder that holds BDMV or VIDEO_TS, or an
    // image of such a disc).
    void read(const QString& folder);
    // Drops the read in progress, if any.
    void cancel();
    // True from read() until finished() or cancel().
    bool isReading() const { return job_ != nullptr; }

signals:
    // What the folder of the latest read() holds; for a Blu-ray, what
    // ReadBlurayDisc gives and its tables (BlurayTitleState::ForDisc), made
    // on the reading thread; otherwise an empty disc of that folder. extra is
    // what the Extra step gave for a Blu-ray or a DVD, null otherwise.
    void finished(DiscKind kind, const BlurayDisc& disc, const BlurayTitleState& tables,
                  const QVariant& extra);

private:
    struct Job;
    class Worker;

    void deliver(const std::shared_ptr<Job>& job, DiscKind kind, const BlurayDisc& disc,
                 const BlurayTitleState& tables, const QVariant& extra);

    const Extra extra_;
    std::shared_ptr<Worker> worker_;  // shared with its thread, which may outlive the reader
    std::shared_ptr<Job> job_;        // the latest read, null when none is in progress
};
