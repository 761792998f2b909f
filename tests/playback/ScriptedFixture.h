#pragma once

// A main window whose engine is the scripted one: each case gets its own
// script and log, and the notices the window shows are answered at once.
#include "PlaybackHarness.h"

#include <QTemporaryDir>
#include <QTimer>

#include <memory>

class ScriptedFixture : public QObject
{
    Q_OBJECT
protected:
    void startCase();
    void endCase();

    void script(const QStringList &rules);
    QStringList logged(const QByteArray &kind) const;
    QStringList received() const { return logged("in: "); } // lines the engine read
    QStringList arguments() const { return logged("arg: "); }
    QString makeFile(const QString &name);
    void openFiles(const QStringList &files);
    void waitForEngineLine(const QString &line);
    QAction *entry(QMenu *menu, const QString &data) const;

    QTemporaryDir m_dir;
    std::unique_ptr<DRUI> m_window;
    int m_case = 0;
    QStringList m_notices; // texts of the message boxes shown
    QTimer m_answer;
};
