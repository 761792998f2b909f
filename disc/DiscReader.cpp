#include "disc/DiscReader.h"

#include <QDeadlineTimer>
#include <QMutex>
#include <QPointer>
#include <QThread>
#include <QWaitCondition>

namespace {

// How long a destroyed reader waits for its worker to reach the next file:
// long enough for a healthy disc, short enough not to be felt.
constexpr int kStopWaitMs = 100;

} // namespace

// One read. Only the flag is written and read across threads.
struct DiscReader::Job {
    explicit Job(const QString& folder) : folder(folder) {}
    const QString folder;
    std::atomic<bool> cancelled{false};
};

// A thread that runs its reader's reads one after the other; it stays for the
// next read, so a read costs no thread start. Once retired (its reader is
// gone, or left it busy with a dropped read) it delivers nothing more and ends
// as soon as it is idle. The lock keeps the reader from going away while the
// worker posts to it; what was posted before it goes is discarded with it.
class DiscReader::Worker {
public:
    static std::shared_ptr<Worker> Start(DiscReader* reader, const Extra& extra)
    {
        const std::shared_ptr<Worker> worker(new Worker(reader, extra));
        QThread* thread = QThread::create([worker] { worker->Run(); });
        thread->setObjectName(QStringLiteral("disc reader"));
        // Nobody owns the thread but itself: it may outlive the reader.
        QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
        worker->thread_ = thread;
        thread->start();
        return worker;
    }

    // Hands job over to run next, unless a read is running or the worker is retired.
    bool Offer(const std::shared_ptr<Job>& job)
    {
        QMutexLocker lock(&mutex_);
        if (busy_ || !reader_)
            return false;
        next_ = job;
        wake_.wakeOne();
        return true;
    }

    void Retire()
    {
        QMutexLocker lock(&mutex_);
        reader_ = nullptr;
        next_.reset();
        wake_.wakeOne();
    }

    // Called on the reader's thread, where the thread object is deleted.
    void WaitBriefly(int ms)
    {
        if (thread_)
            thread_->wait(QDeadlineTimer(ms));
    }

private:
    Worker(DiscReader* reader, const Extra& extra) : extra_(extra), reader_(reader) {}

    void Run()
    {
        for (;;) {
            std::shared_ptr<Job> job;
            {
                QMutexLocker lock(&mutex_);
                while (!next_ && reader_)
                    wake_.wait(&mutex_);
                if (!next_)
                    return;  // retired
                job = std::move(next_);
                next_.reset();
                busy_ = true;
            }
            DiscKind kind = DetectDiscKind(job->folder);
            BlurayDisc disc;
            disc.folder = job->folder;
            BlurayTitleState tables;
            QVariant extra;
            if (kind == DiscKind::Bluray && !job->cancelled) {
                disc = ReadBlurayDisc(job->folder, &job->cancelled);
                // A PLAYLIST folder that lists nothing (empty, unreadable, a
                // link loop) holds no disc: said as for a folder without one.
                if (disc.files.isEmpty() && !job->cancelled)
                    kind = DiscKind::None;
                if (!job->cancelled)
                    tables = BlurayTitleState::ForDisc(disc);
                if (extra_ && !job->cancelled)
                    extra = extra_(disc);
            }
            QMutexLocker lock(&mutex_);
            busy_ = false;
            DiscReader* reader = reader_;
            if (reader && !job->cancelled) {
                QMetaObject::invokeMethod(
                    reader,
                    [reader, job, kind, disc, tables, extra] { reader->deliver(job, kind, disc, tables, extra); },
                    Qt::QueuedConnection);
            }
        }
    }

    const Extra extra_;
    QMutex mutex_;
    QWaitCondition wake_;
    DiscReader* reader_;         // null once retired
    std::shared_ptr<Job> next_;  // the read to run next
    bool busy_ = false;          // a read is running
    QPointer<QThread> thread_;   // used on the reader's thread only
};

DiscReader::DiscReader(QObject* parent, Extra extra) : QObject(parent), extra_(std::move(extra))
{
    qRegisterMetaType<DiscKind>();
    qRegisterMetaType<BlurayDisc>();
    qRegisterMetaType<BlurayTitleState>();
}

DiscReader::~DiscReader()
{
    cancel();
    if (worker_) {
        worker_->Retire();
        worker_->WaitBriefly(kStopWaitMs);
    }
}

void DiscReader::read(const QString& folder)
{
    cancel();
    job_ = std::make_shared<Job>(folder);
    if (worker_ && worker_->Offer(job_))
        return;
    // No worker yet, or one still busy with a dropped read that may take long:
    // that one ends on its own, the new read starts at once on a new worker.
    if (worker_)
        worker_->Retire();
    worker_ = Worker::Start(this, extra_);
    worker_->Offer(job_);
}

void DiscReader::cancel()
{
    if (!job_)
        return;
    job_->cancelled = true;
    job_.reset();
}

void DiscReader::deliver(const std::shared_ptr<Job>& job, DiscKind kind, const BlurayDisc& disc,
                         const BlurayTitleState& tables, const QVariant& extra)
{
    if (job != job_)
        return;  // cancelled or superseded after the worker posted
    job_.reset();
    emit finished(kind, disc, tables, extra);
}
