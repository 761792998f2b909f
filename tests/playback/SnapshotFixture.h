#pragma once

// The scripted window with what the snapshot tests share: a home of the
// test's own (its documents folder is where snapshots go by default), engine
// screenshot files put into the data folder, the announcement lines that
// name them, and the preferences dialog answered from a timer while it runs.
#include "ScriptedFixture.h"

#include "dialogs/CProcessUI.h"

#include <QDateTime>
#include <QUrl>

#include <functional>

class SnapshotFixture : public ScriptedFixture
{
    Q_OBJECT
public slots:
    // Stands in for the desktop's file manager.
    void openedInFileManager(const QUrl &url) { m_opened << url; }

protected:
    // The window playing a scripted engine that answers as rules say.
    void play(const QStringList &rules);
    void pressSnapshotKey();
    void endSnapshotCase();

    QString data() const { return m_window->dataFolder; }
    static QString documents();
    // An engine screenshot in the data folder: four coloured quarters.
    QString putShot(const QString &name);
    QByteArray announce(const QString &path) const;
    void setOutputPath(const QByteArray &content);
    // Files named Snapshot-* in folder, sorted.
    static QStringList snapshotsIn(const QString &folder);
    // Checks a saved snapshot: the right kind of file, the engine's picture.
    static void checkSnapshot(const QString &path, const QByteArray &magic);

    // Runs Tools > Preferences; act gets the open dialog.
    void withPreferences(const std::function<void(CProcessUI &)> &act);
    static QList<CProcessUI *> openDialogs();

    QList<QUrl> m_opened;
};

// main() of a snapshot test: HOME, the configuration and the data folder are
// the test's own.
template <typename Test>
int RunSnapshotTests(int argc, char *argv[])
{
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8());
    return Harness::RunWindowTests<Test>(argc, argv);
}
