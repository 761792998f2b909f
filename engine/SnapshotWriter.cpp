#include "engine/SnapshotWriter.h"

#include <QMetaObject>

SnapshotWriter::SnapshotWriter(QObject *parent)
    : QObject(parent)
{
    m_pool.setMaxThreadCount(1);
}

SnapshotWriter::~SnapshotWriter()
{
    // The results posted meanwhile die with this object, undelivered.
    m_pool.waitForDone();
}

void SnapshotWriter::save(const SnapshotFiles::Job &job)
{
    m_pool.start([this, job] {
        const SnapshotFiles::Outcome outcome = SnapshotFiles::Write(job);
        QMetaObject::invokeMethod(this, [this, outcome] { emit written(outcome); },
                                  Qt::QueuedConnection);
    });
}
