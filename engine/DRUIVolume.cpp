// Volume, mute, audio and subtitle tracks, channels and the window size presets.
#include "ui/DRUI.h"

#include "engine/EngineCommand.h"
#include "ui/WindowGeometry.h"

#include <QAction>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSlider>

namespace {

// Marks entry as the one chosen in its menu.
void CheckOnly(QMenu *menu, QAction *entry)
{
    for (QAction *other : menu->actions())
        other->setChecked(false);
    entry->setCheckable(true);
    entry->setChecked(true);
}

} // namespace

void DRUI::ShowVolumeImage()
{
    const QPixmap image(muted ? QStringLiteral(":/image/no-volume.png")
                              : QStringLiteral(":/image/volume.png"));
    volumeButton->setIcon(image);
    volumeButton->setIconSize(image.size());
    volumeButton->setFixedSize(image.size());
}

void DRUI::VolumeBtn()
{
    muted = !muted;
    volumeSlider->setValue(muted ? 0 : 50);
    engine->sendKeepingPause(muted ? EngineCommand::Mute : EngineCommand::Unmute);
    ShowVolumeImage();
    emit PlaybackChanged();
}

void DRUI::VolumeSliderSeek(int value)
{
    value = qBound(0, value, 100);
    volumeSlider->setValue(value);
    muted = (value == 0);
    ShowVolumeImage();
    engine->send(EngineCommand::KeepVolume, value);
    emit PlaybackChanged();
}

void DRUI::BDVideoMenu(QAction *action)
{
    const QObjectList shownIn = action->associatedObjects();
    if (shownIn.contains(subtitleTrackMenu)) {
        if (!engine->isActive())
            return;
        engine->send(EngineCommand::KeepSubDemux, action->data().toInt() - 1);
        subtitleTrackIndex = action->data().toInt() - 1; // remembered with the position
        CheckOnly(subtitleTrackMenu, action);
        return;
    }
    if (shownIn.contains(videoTrackMenu)) {
        videoSurface->setVisible(action->data().toInt() != 0);
        CheckOnly(videoTrackMenu, action);
        return;
    }
    static const QMap<QString, Handler> table = {
        {QStringLiteral("HalfSize"), &DRUI::HalfSize},
        {QStringLiteral("NormalSize"), &DRUI::NormalSize},
        {QStringLiteral("DoubleSize"), &DRUI::DoubleSize},
        {QStringLiteral("Fit2Screen"), &DRUI::FitToScreen},
    };
    DispatchMenu(table, action);
}

void DRUI::HalfSize()
{
    resize(500, 340);
}

void DRUI::NormalSize()
{
    resize(1000, 680);
}

void DRUI::PlaceOnScreen(const QSize &wanted)
{
    // The frame counts: the whole window stays on the screen's free area.
    const QRect frame = frameGeometry(), inside = geometry();
    const QMargins margins(inside.left() - frame.left(), inside.top() - frame.top(),
                           frame.right() - inside.right(), frame.bottom() - inside.bottom());
    const QScreen *shownOn = screen() ? screen() : QGuiApplication::primaryScreen();
    setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
    setGeometry(InsideOnScreen(shownOn->availableGeometry(), margins, wanted, inside.topLeft()));
}

void DRUI::DoubleSize()
{
    PlaceOnScreen(QSize(2000, 1360));
}

void DRUI::FitToScreen()
{
    PlaceOnScreen(QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
}

void DRUI::BDAudioMenu(QAction *action)
{
    const QObjectList shownIn = action->associatedObjects();
    if (shownIn.contains(audioTrackMenu)) {
        if (!engine->isActive())
            return;
        const int k = action->data().toInt();
        engine->send(EngineCommand::KeepSwitchAudio, k >= 1 ? k - 1 : -2);
        audioTrackIndex = k - 1; // remembered with the position
        CheckOnly(audioTrackMenu, action);
        return;
    }
    if (action->data().toString() == QLatin1String("Mute")) {
        VolumeBtn();
        return;
    }
    if (!shownIn.contains(audioChannelMenu) || !engine->isActive())
        return;
    static const QMap<QString, int> balance = {
        {QStringLiteral("Stereo"), 0}, {QStringLiteral("Left"), -1}, {QStringLiteral("Right"), 1}};
    const auto found = balance.constFind(action->data().toString());
    if (found == balance.constEnd())
        return;
    engine->send(EngineCommand::KeepBalance, *found);
    CheckOnly(audioChannelMenu, action);
}
