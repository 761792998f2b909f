// The six menus of the menu bar row and their dispatch tables.
#include "ui/DRUI.h"

#include "lang/CLanguageMgr.h"
#include "ui/MenuEntries.h"
#include "ui/Styles.h"

#include <QAction>
#include <QIcon>
#include <QMenu>

QMenu *DRUI::BuildMenu(int index)
{
    using Builder = QMenu *(DRUI::*)();
    static const Builder builders[] = {&DRUI::BuildFileMenu,  &DRUI::BuildControlsMenu,
                                       &DRUI::BuildVideoMenu, &DRUI::BuildAudioMenu,
                                       &DRUI::BuildToolsMenu, &DRUI::BuildHelpMenu};
    QMenu *menu = (this->*builders[index - 1])();
    // Shortcuts only fire for entries that belong to the window itself.
    for (QAction *action : menu->actions())
        if (!action->shortcut().isEmpty())
            addAction(action);
    return menu;
}

void DRUI::DispatchMenu(const QMap<QString, Handler> &table, QAction *action)
{
    const auto handler = table.constFind(action->data().toString());
    if (handler != table.constEnd())
        (this->*handler.value())();
}

QMenu *DRUI::BuildFileMenu()
{
    fileMenu = new QMenu;
    const QList<QAction *> entries = AddMenuEntries(fileMenu, {
        {"MainWnd/OpenFile", "Open File", "Ctrl+O", true, true},
        {"MainWnd/OpenDisc", "Open Disc", nullptr, true, true},
        {"MainWnd/OpenDiscImage", "Open Disc Image", nullptr, true, true},
        {"MainWnd/RecentFiles", "Recent Files"},
        {"MainWnd/Eject", "Eject"},
        {"MainWnd/Close", "Close", "Ctrl+Q"},
    });
    recentFilesAction = entries[3];
    recentMenu = AttachSubmenu(recentFilesAction, fileMenu);
    recentMenu->setToolTipsVisible(true);
    LoadResumeStore();
    LoadRecentFiles();
    // The remembered positions change while playing: shown as they are now.
    connect(recentMenu, &QMenu::aboutToShow, this, [this] {
        for (QAction *entry : recentMenu->actions()) {
            if (recentFiles.contains(entry->data().toString()))
                entry->setText(RecentEntryText(entry->data().toString()));
        }
    });
    connect(fileMenu, &QMenu::triggered, this, &DRUI::BDFileMenu);
    return fileMenu;
}

void DRUI::RebuildRecentMenu()
{
    ClearMenu(recentMenu);
    for (const QString &path : recentFiles) {
        QAction *entry = recentMenu->addAction(RecentEntryText(path));
        entry->setData(path);
        entry->setToolTip(recentDiscNames.value(path, path));
    }
    QAction *clear = recentMenu->addAction(Text("MainWnd/ClearMenu"));
    clear->setData(QStringLiteral("Clear Menu"));
}

QMenu *DRUI::BuildControlsMenu()
{
    controlsMenu = new QMenu;
    const QList<QAction *> entries = AddMenuEntries(controlsMenu, {
        {"MainWnd/Play", "Play", "Space"},
        {"MainWnd/Stop", "Stop"},
        {"MainWnd/Previous", "Pre", nullptr, false},
        {"MainWnd/Next", "Next", nullptr, false},
        {"MainWnd/Forward", "Forward", "Right", false},
        {"MainWnd/Backward", "Backward", "Left", false},
        {"MainWnd/VolumeUp", "VolumeUp", "Up"},
        {"MainWnd/VolumeDown", "VolumeDown", "Down"},
        {"MainWnd/NavigationPanel", "Navigation", "P", false},
        {"MainWnd/Title", "Title", nullptr, false},
        {"MainWnd/Chapter", "Chapter", nullptr, false},
        {"MainWnd/FullScreen", "FullScreen", "F", false},
    });
    playAction = entries[0];
    titleMenu = AttachSubmenu(entries[9], controlsMenu);
    chapterMenu = AttachSubmenu(entries[10], controlsMenu);
    connect(titleMenu, &QMenu::aboutToShow, this, &DRUI::FillTitleMenus);
    connect(chapterMenu, &QMenu::aboutToShow, this, [this] { MarkPlayingChapter(chapterMenu); });
    for (QMenu *popup : {titleMenu, chapterMenu}) {
        popup->setWindowFlags(popup->windowFlags() | Qt::FramelessWindowHint);
        popup->setAttribute(Qt::WA_TranslucentBackground);
        popup->setStyleSheet(QString::fromLatin1(Styles::WhitePopup));
    }
    connect(controlsMenu, &QMenu::triggered, this, &DRUI::BDControlsMenu);
    return controlsMenu;
}

QMenu *DRUI::BuildVideoMenu()
{
    videoMenu = new QMenu;
    const QList<QAction *> entries = AddMenuEntries(videoMenu, {
        {"MainWnd/HalfSize", "HalfSize", nullptr, false},
        {"MainWnd/NormalSize", "NormalSize", nullptr, false},
        {"MainWnd/DoubleSize", "DoubleSize", nullptr, false},
        {"MainWnd/Fit2Screen", "Fit2Screen", nullptr, false},
        {"MainWnd/VideoTrack", "VideoTrack", nullptr, false},
        {"MainWnd/SubtitleTrack", "SubtitleTrack", nullptr, false},
    });
    videoTrackMenu = AttachSubmenu(entries[4], videoMenu);
    subtitleTrackMenu = AttachSubmenu(entries[5], videoMenu);
    QAction *disable = videoTrackMenu->addAction(Text("MainWnd/Disable"));
    disable->setData(0);
    QAction *first = videoTrackMenu->addAction(Text("MainWnd/Video") + QStringLiteral(" 1"));
    first->setData(1);
    first->setCheckable(true);
    first->setChecked(true);
    connect(videoMenu, &QMenu::triggered, this, &DRUI::BDVideoMenu);
    return videoMenu;
}

QMenu *DRUI::BuildAudioMenu()
{
    audioMenu = new QMenu;
    const QList<QAction *> entries = AddMenuEntries(audioMenu, {
        {"MainWnd/AudioTrack", "AudioTrack", nullptr, false},
        {"MainWnd/AudioChannel", "AudioChannel", nullptr, false},
        {"MainWnd/Mute", "Mute", "M"},
    });
    audioTrackMenu = AttachSubmenu(entries[0], audioMenu);
    audioChannelMenu = AttachSubmenu(entries[1], audioMenu);
    const QList<QAction *> channels = AddMenuEntries(audioChannelMenu, {
        {"MainWnd/Stereo", "Stereo"},
        {"MainWnd/Left", "Left"},
        {"MainWnd/Right", "Right"},
    });
    channels[0]->setCheckable(true);
    channels[0]->setChecked(true);
    connect(audioMenu, &QMenu::triggered, this, &DRUI::BDAudioMenu);
    return audioMenu;
}

QMenu *DRUI::BuildToolsMenu()
{
    toolsMenu = new QMenu;
    const QList<QAction *> entries = AddMenuEntries(toolsMenu, {
        {"MainWnd/PlayList", "PlayList", nullptr, true, true},
        {"MainWnd/Preferences", "Preferences", nullptr, true, true},
        {"MainWnd/Snapshot", "Snapshot", "S", false},
    });
    snapshotAction = entries[2];
    connect(toolsMenu, &QMenu::triggered, this, &DRUI::BDToolMenu);
    return toolsMenu;
}

QMenu *DRUI::BuildHelpMenu()
{
    helpMenu = new QMenu;
    const QList<QAction *> entries = AddMenuEntries(helpMenu, {
        {"MainWnd/Help", "Help"},
        {"MainWnd/Support", "Support"},
        {"MainWnd/Language", "Language"},
    });
    languageMenu = AttachSubmenu(entries[2], helpMenu);
    const CLanguageMgr &languages = CLanguageMgr::Instance();
    for (const LANGUAGE_INFO &language : languages.GetLanguages()) {
        QAction *entry = languageMenu->addAction(QIcon(), language.displayName);
        entry->setData(language.name);
        if (language.name == languages.GetCurrentLanguage()) {
            entry->setIcon(QIcon(QStringLiteral(":/image/dot.png")));
            languageMenu->setDefaultAction(entry);
        }
    }
    connect(helpMenu, &QMenu::triggered, this, &DRUI::BDHelpMenu);
    return helpMenu;
}

void DRUI::BDFileMenu(QAction *action)
{
    static const QMap<QString, Handler> table = {
        {QStringLiteral("Open File"), &DRUI::btnOpenFile},
        {QStringLiteral("Open Disc"), &DRUI::btnLoadBDPath},
        {QStringLiteral("Open Disc Image"), &DRUI::btnLoadDiscImage},
        {QStringLiteral("Eject"), &DRUI::StopBtn},
        {QStringLiteral("Close"), &DRUI::btnCloseSlot},
        {QStringLiteral("Clear Menu"), &DRUI::ClearRecentFiles},
    };
    const QString data = action->data().toString();
    if (table.contains(data))
        DispatchMenu(table, action);
    else if (action->associatedObjects().contains(recentMenu))
        OpenRecentFile(data);
}

void DRUI::BDToolMenu(QAction *action)
{
    static const QMap<QString, Handler> table = {
        {QStringLiteral("PlayList"), &DRUI::TogglePlaylist},
        {QStringLiteral("Preferences"), &DRUI::ShowPreferences},
        {QStringLiteral("Snapshot"), &DRUI::TakeSnapshot},
    };
    DispatchMenu(table, action);
}
