#pragma once

#include <QString>

// An advisory lock on a small file of its own, held while the object lives,
// so that players of the same user take turns at reading, merging and
// writing a shared file. Never waits for long: a holder that does not let go
// within the time given is passed by (isHeld() false), since it can only be
// another process of the same user.
class FileLock
{
public:
    FileLock(const QString &path, int waitMs = 2000);
    ~FileLock();
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    bool isHeld() const { return m_held; }

private:
    int m_fd = -1;
    bool m_held = false;
};
