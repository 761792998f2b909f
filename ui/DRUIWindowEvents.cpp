// Full screen, keys, the slider filters, drag and drop, and the menu states
// that follow the page shown.
#include "ui/DRUI.h"

#include "disc/DiscFiles.h"
#include "lang/CLanguageMgr.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QSlider>
#include <QStackedLayout>
#include <QTableWidget>

void DRUI::FullScreenBtn()
{
    if (fullScreen) {
        LeaveFullScreen();
        return;
    }
    if (!engine->isActive())
        return;
    menuBarLabel->hide();
    controlPanel->hide();
    playlistTable->hide();
    showFullScreen();
    fullScreen = true;
}

void DRUI::LeaveFullScreen()
{
    menuBarLabel->show();
    controlPanel->show();
    showNormal();
    fullScreen = false;
}

void DRUI::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        if (fullScreen)
            LeaveFullScreen();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

bool DRUI::eventFilter(QObject *watched, QEvent *event)
{
    const bool engineRuns = engine->isActive();
    if (watched == discMenu && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        keyPressEvent(static_cast<QKeyEvent *>(event));
        return true;
    }
    if (watched == videoSurface && event->type() == QEvent::MouseButtonDblClick) {
        FullScreenBtn();
    } else if (watched == seekSlider && event->type() == QEvent::MouseButtonPress && engineRuns) {
        answerCount = 0;
        SliderMouseLButtonPress(watched, event);
    } else if (watched == volumeSlider && event->type() == QEvent::MouseButtonPress) {
        // The volume goes where the click is, playing or not.
        SliderMouseLButtonPress(watched, event);
    }
    return QMainWindow::eventFilter(watched, event);
}

void DRUI::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        event->accept();
}

void DRUI::resizeEvent(QResizeEvent *event)
{
    centralWidget->resize(width(), height());
    QMainWindow::resizeEvent(event);
}

void DRUI::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    RefreshMenuStates();
    QMainWindow::paintEvent(event);
}

void DRUI::ShowWindowTitle()
{
    const int page = pageStack->currentIndex();
    // While a disc plays, the window (and the task bar) name it, and the
    // episode that plays.
    QStringList names;
    if (page == 2 && mediaKind == MEDIA_BLURAY) {
        names << discTitleLabel->text();
        const int episode = EpisodeAt(discEpisodes, pick.currentTitle, playClockMs);
        if (episode >= 0)
            names << Text("MainWnd/EpisodeNumber").arg(episode + 1).arg(QString()).trimmed();
    }
    names.removeAll(QString());
    names << Text("MainWnd/ProTitle");
    const QString title = names.join(QStringLiteral(" – "));
    if (windowTitle() != title)
        setWindowTitle(title);
}

void DRUI::RefreshMenuStates()
{
    if (!pageStack)
        return;
    const int page = pageStack->currentIndex();
    ShowWindowTitle();
    if (page == 1 && mediaKind == MEDIA_BLURAY) {
        discMenu->show();
        if (currentDiscSubtitleAction && discSubtitleAction->menu())
            discSubtitleAction->menu()->setActiveAction(currentDiscSubtitleAction);
        if (currentDiscAudioAction && discAudioAction->menu())
            discAudioAction->menu()->setActiveAction(currentDiscAudioAction);
    }
    if (page != 2)
        return;
    for (QAction *entry : controlsMenu->actions())
        entry->setEnabled(entry->data().toString() != QLatin1String("Navigation")
                          || mediaKind == MEDIA_BLURAY);
    for (QMenu *menu : {videoMenu, audioMenu, toolsMenu})
        for (QAction *entry : menu->actions())
            entry->setEnabled(true);
    snapshotAction->setEnabled(true);
    const QString name = mediaKind == MEDIA_BLURAY ? discTitleLabel->text()
                                                   : QFileInfo(currentMediaPath).fileName();
    if (infoLabel->toolTip() != name)
        ShowInfo(name);
}

void DRUI::ShowInfo(const QString &name)
{
    // One line in the box: a name too long for it is cut in the middle, and
    // shown whole when the pointer rests on the box.
    constexpr int RoundedEdges = 24;
    const QString indented = name.isEmpty() ? QString() : QStringLiteral("    ") + name;
    const int room = infoLabel->contentsRect().width() - RoundedEdges;
    infoLabel->setText(infoLabel->fontMetrics().elidedText(indented, Qt::ElideMiddle, room));
    infoLabel->setToolTip(name);
}

void DRUI::dragEnterEvent(QDragEnterEvent *event)
{
    event->acceptProposedAction();
}

void DRUI::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    // Only local files and folders can be played; anything else is ignored.
    if (urls.isEmpty() || !urls.first().isLocalFile())
        return;
    const QString path = urls.first().toLocalFile();
    if (IsDiscLocation(path))
        OpenDiscFolder(path);
    else
        OpenMediaFiles({path});
}

void DRUI::btnMinSlot()
{
    showMinimized();
}

void DRUI::btnMenButtonSlot()
{
}
