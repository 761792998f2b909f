#pragma once

#include "engine/SnapshotFiles.h"

#include <QObject>
#include <QThreadPool>

// Converts snapshots on a thread of its own, one after another (so that the
// names of two snapshots in the same second are chosen in turn), and tells
// the window's thread about each result. Its destruction waits for the
// conversions in hand: a snapshot taken just before closing is still saved.
class SnapshotWriter : public QObject
{
    Q_OBJECT
public:
    explicit SnapshotWriter(QObject *parent = nullptr);
    ~SnapshotWriter() override;

    void save(const SnapshotFiles::Job &job);

signals:
    void written(const SnapshotFiles::Outcome &outcome);

private:
    QThreadPool m_pool;
};
