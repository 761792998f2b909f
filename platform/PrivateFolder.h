#pragma once

#include <QString>

// Folders where this user alone can create, replace or remove a file: the
// single-instance socket and its lock live in one, so that no other user can
// put a socket or a lock of theirs in their place.

// A directory (not a link) owned by the user, that neither group nor others
// may write.
bool IsPrivateFolder(const QString &folder);
// Whether path is missing, or an entry the user owns (a link is judged by
// itself, never by what it points to).
bool IsMissingOrOwn(const QString &path);
// The folder for name: the session's runtime folder when it is private and
// folder/name fits in a socket address, else a folder of the user's own
// (created 0700 if missing, checked whatever it is). Empty when neither can
// be had.
QString InstanceFolder(const QString &name);
