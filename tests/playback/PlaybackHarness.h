#pragma once

// Shared by the playback tests: a private data folder, media made with
// ffmpeg, and a look into the main window.
#include "disc/ProbeQueue.h"
#include "platform/PowerInhibitor.h"
#include "ui/DRUI.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QStackedLayout>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QApplication>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

class DRUITestAccess
{
public:
    static QStackedLayout *pageStack(DRUI &w) { return w.pageStack; }
    static QProcess *engine(DRUI &w) { return w.engine->process(); }
    static EngineSession *session(DRUI &w) { return w.engine; }
    static PlaybackState state(DRUI &w) { return w.engine->state(); }
    static bool inhibiting(DRUI &w) { return w.keepAwake->isActive(); }
    static QTimer *refreshTimer(DRUI &w) { return w.refreshTimer; }
    static QString &currentMediaPath(DRUI &w) { return w.currentMediaPath; }
    static bool playing(DRUI &w) { return w.engine->isPlaying(); }
    static bool fullScreen(DRUI &w) { return w.fullScreen; }
    static qint64 lengthSeconds(DRUI &w) { return w.mediaLengthSeconds; }
    static QMenu *audioTrackMenu(DRUI &w) { return w.audioTrackMenu; }
    static QMenu *subtitleTrackMenu(DRUI &w) { return w.subtitleTrackMenu; }
    static QMenu *controlsMenu(DRUI &w) { return w.controlsMenu; }
    static QAction *playAction(DRUI &w) { return w.playAction; }
    static QMenu *recentMenu(DRUI &w) { return w.recentMenu; }
    static QLabel *videoSurface(DRUI &w) { return w.videoSurface; }
    static int &mediaKind(DRUI &w) { return w.mediaKind; }
    static bool &titleChosen(DRUI &w) { return w.pick.titleChosen; }
    static QString &currentTitle(DRUI &w) { return w.pick.currentTitle; }
    static BlurayTitleEntry &title(DRUI &w, const QString &path)
    {
        BlurayTitleEntry *known = w.discTitles.find(path);
        return known ? *known : w.discTitles.discs[QString()][path];
    }
    static BlurayTitleState &discTitles(DRUI &w) { return w.discTitles; }
    static int &startSeconds(DRUI &w) { return w.pick.startSeconds; }
    static qint64 &length(DRUI &w) { return w.mediaLengthSeconds; }
    static QString &positionText(DRUI &w) { return w.positionText; }
    static qint64 playClockMs(DRUI &w) { return w.playClockMs; }
    static int answerCount(DRUI &w) { return w.answerCount; }
    static bool mediumOpened(DRUI &w) { return w.mediumOpened; }
    static bool stopped(DRUI &w) { return !w.engine->isActive(); }
    static QLabel *menuBar(DRUI &w) { return w.menuBarLabel; }
    static QLabel *controlPanel(DRUI &w) { return w.controlPanel; }
    static QLabel *infoLabel(DRUI &w) { return w.infoLabel; }
    static QSlider *seekSlider(DRUI &w) { return w.seekSlider; }
    static QLabel *elapsedLabel(DRUI &w) { return w.elapsedLabel; }
    static QMenu *videoMenu(DRUI &w) { return w.videoMenu; }
    static QMenu *audioMenu(DRUI &w) { return w.audioMenu; }
    static QMenu *audioChannelMenu(DRUI &w) { return w.audioChannelMenu; }
    static QMenu *fileMenu(DRUI &w) { return w.fileMenu; }
    static QMenu *toolsMenu(DRUI &w) { return w.toolsMenu; }
    static QMenu *titleMenu(DRUI &w) { return w.titleMenu; }
    static QMenu *chapterMenu(DRUI &w) { return w.chapterMenu; }
    static QLabel *discTitleLabel(DRUI &w) { return w.discTitleLabel; }
    static QLabel *discPicture(DRUI &w) { return w.discPage; }
    static DiscReader *discReader(DRUI &w) { return w.discReader; }
    static QMenu *languageMenu(DRUI &w) { return w.languageMenu; }
    static ProbeQueue *probes(DRUI &w) { return w.probes; }
    static QString &snapshotFormat(DRUI &w) { return w.snapshotFormat; }
    static int &formatIndex(DRUI &w) { return w.formatIndex; }
};

namespace Harness {

// A full disk while it lives: no file of this process may grow beyond a few
// bytes, and a write past that fails instead of ending the process.
class FullDisk
{
public:
    FullDisk()
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit full = m_saved;
        full.rlim_cur = 8;
        setrlimit(RLIMIT_FSIZE, &full);
    }
    ~FullDisk() { setrlimit(RLIMIT_FSIZE, &m_saved); }
    FullDisk(const FullDisk &) = delete;
    FullDisk &operator=(const FullDisk &) = delete;

private:
    rlimit m_saved{};
};

inline QString Ffmpeg() { return QStringLiteral("ffmpeg"); }

// A clip with a moving picture and a tone; extra arguments add streams.
inline bool MakeClip(const QString &path, int seconds, const QStringList &codec)
{
    QStringList args = {"-hide_banner", "-loglevel", "error", "-y",
                        "-f", "lavfi", "-i",
                        QString("testsrc=size=320x240:rate=25:duration=%1").arg(seconds),
                        "-f", "lavfi", "-i", QString("sine=frequency=440:duration=%1").arg(seconds)};
    args << codec << path;
    QProcess ffmpeg;
    ffmpeg.start(Ffmpeg(), args);
    return ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0 && QFileInfo::exists(path);
}

// The probe is installed beside the program, not beside the tests: put its
// copy into the data folder as the player itself would.
inline void SeedDataFolder(const QString &dataHome)
{
    QDir().mkpath(dataHome + "/Vantorel");
    QFile::copy(QStringLiteral(VANTOREL_PROGRAM_DIR "/tool"), dataHome + "/Vantorel/tool");
}

// A data folder of the test's own, seeded with the probe, for the life of
// the process; made before the application object.
struct PrivateHome
{
    QTemporaryDir dir;
    PrivateHome()
    {
        qputenv("XDG_DATA_HOME", dir.path().toUtf8());
        SeedDataFolder(dir.path());
    }
};

template <typename Test>
int RunWindowTests(int argc, char *argv[])
{
    const PrivateHome home;
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    Test test;
    return QTest::qExec(&test, argc, argv);
}

// A menu as the user finds it once it opens.
inline QMenu *Opened(QMenu *menu)
{
    emit menu->aboutToShow();
    return menu;
}

inline QWidget *Named(DRUI &w, const char *name) { return w.findChild<QWidget *>(name); }

// Every opened file's probe has answered: the durations run beside the
// window, so a test that sets a length by hand waits for them first.
inline bool ProbesDone(DRUI &w) { return DRUITestAccess::probes(w)->isIdle(); }

// The widget shows a picture on the screen: any sampled pixel is not black.
inline bool ShowsPicture(QWidget *surface)
{
    const QImage image = QGuiApplication::primaryScreen()->grabWindow(surface->winId()).toImage();
    for (int y = 0; y < image.height(); y += 16)
        for (int x = 0; x < image.width(); x += 16)
            if (qGray(image.pixel(x, y)) > 40)
                return true;
    return false;
}

// Counts the times a widget is painted.
class PaintCount : public QObject
{
public:
    explicit PaintCount(QWidget *widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

} // namespace Harness
