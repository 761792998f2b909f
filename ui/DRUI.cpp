#include "ui/DRUI.h"

#include "lang/CLanguageMgr.h"
#include "disc/ProbeQueue.h"
#include "platform/PowerInhibitor.h"
#include "resources/ImageResources.h"
#include "ui/Styles.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QIcon>
#include <QThreadPool>
#include <QTimer>

DRUI::DRUI(QWidget *parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags)
{
    EnsureImageResources();
    qRegisterMetaType<PLAY_LIST_INFO>("PLAY_LIST_INFO");
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("DRUIClass"));
    resize(800, 600);
    centralWidget = new QWidget(this);
    centralWidget->setObjectName(QStringLiteral("centralWidget"));
    setCentralWidget(centralWidget);
    centralWidget->setStyleSheet(QString::fromLatin1(Styles::CentralBackground));

    setWindowTitle(Text("MainWnd/ProTitle"));
    resize(1000, 680);
    setWindowIcon(QIcon(QStringLiteral(":/image/logo.ico")));
    setAcceptDrops(true);

    refreshTimer = new QTimer(this);
    connect(refreshTimer, &QTimer::timeout, this, &DRUI::DoRefreshGui);
    keepAwake = new PowerInhibitor(this);
    engine = new EngineSession(this);
    ConnectEngine();
    ConnectDiscReader();
    ConnectMediaControls();
    probes = new ProbeQueue(this);
    connect(probes, &ProbeQueue::probed, this, &DRUI::ApplyDuration);
    resumeWriter = new QThreadPool(this);
    resumeWriter->setMaxThreadCount(1);
}

DRUI::~DRUI()
{
    // The session ends any engine still running with the window, whichever
    // way we got here, without waiting for it.
    engine->disconnect(this);
    resumeWriter->waitForDone(); // its answer is posted to this window
}

void DRUI::RestoreWindow()
{
    // Back to the normal state; a full-screen window stays full screen.
    Qt::WindowStates state = windowState() & ~Qt::WindowMinimized;
    if (!fullScreen)
        state &= ~(Qt::WindowMaximized | Qt::WindowFullScreen);
    setWindowState(state);
    show();
    raise();
    activateWindow();
}

void DRUI::btnCloseSlot()
{
    close();
}

void DRUI::closeEvent(QCloseEvent *event)
{
    // Closing through the frame ends the engine too, exactly like Exit.
    event->accept();
    CloseDown();
}
