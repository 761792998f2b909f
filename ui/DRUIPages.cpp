// The page build: the widget tree below the window frame.
#include "ui/DRUI.h"

#include "app/DataFolderSetup.h"
#include "lang/CLanguageMgr.h"
#include "lang/QtTranslations.h"
#include "platform/ProgramPaths.h"
#include "ui/Styles.h"
#include "ui/WelcomeBackground.h"

#include <QCursor>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QStackedLayout>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QPixmap Image(const char *name)
{
    return QPixmap(QStringLiteral(":/image/") + QLatin1String(name));
}

const char *const MenuKeys[] = {"MainWnd/File",  "MainWnd/Controls", "MainWnd/Video",
                                "MainWnd/Audio", "MainWnd/Tools",    "MainWnd/Help"};

} // namespace

void DRUI::BuildPages()
{
    // The menus read the recent files from the data folder: it comes first.
    dataFolder = PrepareDataFolder(UserDataFolder(), ProbeToolSource());
    // Qt's own texts (choosers, buttons, key names) speak the same language.
    UseQtTranslations(CLanguageMgr::Instance().GetCurrentLocale());
    delete rootStack;
    rootStack = new QStackedLayout;
    BuildMainPage();
    rootStack->addWidget(mainPage);
    rootStack->setCurrentWidget(mainPage);
    rootStack->setContentsMargins(0, 0, 0, 0);
    if (!rootLayout) {
        rootLayout = new QVBoxLayout;
        rootLayout->setSpacing(0);
        rootLayout->setContentsMargins(0, 0, 0, 0);
        centralWidget->setLayout(rootLayout);
    }
    rootLayout->addLayout(rootStack);
    playlist.clear();
    raise();
}

void DRUI::BuildMainPage()
{
    // Everything of the old tree goes with the old page; members are replaced
    // below as the new widgets are made.
    delete mainPage;
    currentDiscSubtitleAction = nullptr;
    currentDiscAudioAction = nullptr;
    mainPage = new QWidget(this);

    QLayout *menuRow = BuildMenuBarRow();

    // The pages have a widget of their own: a page switch repaints the
    // page's area, not the menu bar and the controls beside it.
    auto *pageArea = new QWidget;
    pageStack = new QStackedLayout(pageArea);
    pageStack->addWidget(BuildWelcomePage());
    pageStack->addWidget(BuildDiscPage());
    pageStack->addWidget(BuildVideoPage());
    pageStack->setContentsMargins(0, 0, 0, 0);
    pageStack->setCurrentIndex(0);
    // Menu states follow the page at once, not only at the next repaint.
    connect(pageStack, &QStackedLayout::currentChanged, this, [this](int page) {
        RefreshMenuStates();
        // The disc menu is worked like a remote's: arrows and Return.
        if (page == 1)
            discMenu->setFocus();
    });

    BuildPlaylistTable();
    auto *contentRow = new QHBoxLayout;
    contentRow->addWidget(pageArea, 8);
    contentRow->addWidget(playlistTable, 2);
    contentRow->setContentsMargins(0, 0, 0, 0);
    contentRow->setSpacing(0);
    playlistTable->hide();

    auto *pageLayout = new QVBoxLayout(mainPage);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->setSpacing(0);
    pageLayout->addLayout(menuRow, 1);
    pageLayout->addLayout(contentRow, 60);
    pageLayout->addWidget(BuildControlPanel(), 10);
}

QLayout *DRUI::BuildMenuBarRow()
{
    menuBarLabel = new QLabel;
    menuBarLabel->setStyleSheet(QString::fromLatin1(Styles::MenuBar));
    // The bar's minimum width becomes the window's: it cannot be made
    // narrower than it was when the pages were built.
    menuBarLabel->setMinimumSize(width(), 22);
    menuButtons.clear();
    for (int i = 1; i <= 6; ++i)
        menuButtons.append(CreateMenuButton(i, 100 * (i - 1), menuBarLabel));
    auto *row = new QVBoxLayout;
    row->addWidget(menuBarLabel);
    return row;
}

QPushButton *DRUI::CreateMenuButton(int index, int x, QLabel *bar)
{
    auto *button = new QPushButton(Text(MenuKeys[index - 1]), bar);
    button->setObjectName(QStringLiteral("menuButton%1").arg(index));
    QMenu *menu = BuildMenu(index);
    menu->setParent(button, menu->windowFlags());
    menu->setStyleSheet(QString::fromLatin1(Styles::WhitePopup));
    button->setMenu(menu);
    button->setGeometry(x, 1, 100, 20);
    button->setFont(Styles::Calibri(11, false));
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(QString::fromLatin1(Styles::MenuBarButton));
    // A dialog opened from the menu takes the pointer away without the
    // button hearing that it left, and it would stay highlighted. Once the
    // entry's work is done, the button looks where the pointer really is.
    connect(menu, &QMenu::triggered, button, [button] {
        if (!button->rect().contains(button->mapFromGlobal(QCursor::pos()))) {
            button->setAttribute(Qt::WA_UnderMouse, false);
            button->update();
        }
    }, Qt::QueuedConnection);
    return button;
}

QWidget *DRUI::BuildVideoPage()
{
    auto *page = new QWidget(this);
    videoSurface = new QLabel;
    videoSurface->setObjectName(QStringLiteral("videoSurface"));
    // The engine draws into this widget's own X11 window. It alone needs
    // one: with native ancestors, their siblings (the other pages) would be
    // native too, and each page switch would map and unmap X windows and
    // repaint the whole window on the expose that follows.
    videoSurface->setAttribute(Qt::WA_DontCreateNativeAncestors);
    videoSurface->setAttribute(Qt::WA_NativeWindow);
    videoSurface->setStyleSheet(QStringLiteral("background-color: black;"));
    videoSurface->installEventFilter(this);
    auto *layout = new QHBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(videoSurface);
    return page;
}

QWidget *DRUI::BuildWelcomePage()
{
    titleLabel = new QLabel(Text("MainWnd/ProTitle"));
    titleLabel->setFont(Styles::Calibri(40, false));
    titleLabel->setPalette(Styles::WhiteText());
    titleLabel->setStyleSheet(QString::fromLatin1(Styles::Transparent));

    auto makeButton = [this](const char *key, const char *image, Handler slot) {
        auto *button = new QPushButton(QStringLiteral("  ") + Text(key));
        const QPixmap icon = Image(image);
        button->setIcon(icon);
        button->setIconSize(icon.size());
        button->setFont(Styles::Calibri(20, true));
        button->setFlat(true);
        button->setCursor(Qt::PointingHandCursor);
        button->setStyleSheet(QString::fromLatin1(Styles::WelcomeButton));
        button->setMaximumWidth(300);
        button->setMinimumHeight(85);
        connect(button, &QPushButton::clicked, this, slot);
        return button;
    };
    QPushButton *openFile = makeButton("MainWnd/OpenFile", "MoviesFolder.png", &DRUI::btnOpenFile);
    openFile->setObjectName(QStringLiteral("openFileButton"));
    QPushButton *openFolder = makeButton("MainWnd/OpenFolder", "disc.png", &DRUI::btnLoadBDPath);
    openFolder->setObjectName(QStringLiteral("openFolderButton"));
    // Both as wide as the wider text needs in this language, inside the
    // border and its padding.
    const int needed = qMax(openFile->sizeHint().width(), openFolder->sizeHint().width()) + 16;
    for (QPushButton *button : {openFile, openFolder}) {
        button->setMinimumWidth(needed);
        button->setMaximumWidth(qMax(300, needed));
    }

    auto *left = new QVBoxLayout;
    left->addStretch(1);
    left->addWidget(titleLabel);
    left->addStretch(2);
    left->setContentsMargins(40, 0, 0, 0);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(openFile);
    buttons->addSpacing(50);
    buttons->addWidget(openFolder);
    buttons->addSpacing(100);
    buttons->setContentsMargins(50, 0, 0, 0);
    // The title on the left, the buttons on the right.
    auto *columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(buttons, 1);
    auto *box = new QHBoxLayout;
    box->addLayout(columns);

    // Read at once unless a medium plays right away, when the page may never
    // be shown (it is read when it first is).
    if (!engine->hasSpare())
        WelcomeBackground::ReadAhead();
    auto *background = new WelcomeBackground;
    background->setLayout(box);

    auto *page = new QWidget(this);
    auto *layout = new QHBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(background);
    return page;
}

QWidget *DRUI::BuildDiscPage()
{
    discPage = new QLabel;
    discPage->setObjectName(QStringLiteral("discPage"));
    discPage->setScaledContents(true);
    // The picture fills the page at whatever size it has; it never sizes the
    // page, or a disc with a large picture would stretch the window off the
    // screen.
    discPage->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);

    discTitleLabel = new QLabel(Text("MainWnd/ProTitle"));
    discTitleLabel->setFont(Styles::Calibri(40, false));
    discTitleLabel->setPalette(Styles::WhiteText());
    discTitleLabel->setStyleSheet(QString::fromLatin1(Styles::Transparent));
    // A long disc name goes on to a second line rather than off the page.
    discTitleLabel->setWordWrap(true);
    auto *titleRow = new QHBoxLayout;
    titleRow->addWidget(discTitleLabel);

    discMenu = new QMenu;
    discMenu->setObjectName(QStringLiteral("discMenu"));
    // An embedded menu: an ordinary child widget, not a popup.
    discMenu->setWindowFlags(Qt::Widget);
    discMenu->setStyleSheet(QString::fromLatin1(Styles::DiscMenu));
    discMenu->setFont(Styles::Calibri(20, true));
    discMenu->setPalette(Styles::WhiteText());
    connect(discMenu, &QMenu::triggered, this, &DRUI::BDMenuOperate);
    // Escape would hide an embedded menu; the window decides what it does.
    discMenu->installEventFilter(this);
    // Resume leads when the disc has a place remembered; Play All and
    // Episodes show on a disc of episodes (LoadBlurayTitles).
    discResumeAction = new QAction(discMenu);
    discResumeAction->setVisible(false);
    discMenu->addAction(discResumeAction);
    discMenu->addAction(new QAction(Text("MainWnd/PlayMovie"), discMenu));
    discPlayAllAction = new QAction(Text("MainWnd/PlayAll"), discMenu);
    discPlayAllAction->setVisible(false);
    discEpisodesAction = new QAction(Text("MainWnd/Episodes"), discMenu);
    discEpisodesAction->setVisible(false);
    discMenu->addActions({discPlayAllAction, discEpisodesAction});
    discChapterAction = new QAction(Text("MainWnd/Chapter"), discMenu);
    discAudioAction = new QAction(Text("MainWnd/Audio"), discMenu);
    discSubtitleAction = new QAction(Text("MainWnd/Subtitle"), discMenu);
    discOtherTitlesAction = new QAction(Text("MainWnd/OtherTitles"), discMenu);
    discMenu->addActions({discChapterAction, discAudioAction, discSubtitleAction,
                          discOtherTitlesAction});
    auto *menuRow = new QHBoxLayout;
    menuRow->addWidget(discMenu);
    menuRow->addStretch(5);
    menuRow->setContentsMargins(0, 0, 0, 0);
    menuRow->setSpacing(0);

    auto *pageBox = new QVBoxLayout(discPage);
    pageBox->addLayout(titleRow, 3);
    pageBox->addLayout(menuRow, 7);

    auto *page = new QWidget(this);
    auto *layout = new QHBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(discPage);
    return page;
}

QPushButton *DRUI::CreateImageButton(const QString &image, Handler slot)
{
    const QPixmap pixmap(QStringLiteral(":/image/") + image);
    auto *button = new QPushButton;
    button->setObjectName(image.section(QLatin1Char('.'), 0, 0) + QStringLiteral("Button"));
    button->setIcon(pixmap);
    button->setIconSize(pixmap.size());
    button->setFixedSize(pixmap.size());
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    connect(button, &QPushButton::clicked, this, slot);
    return button;
}

QLayout *DRUI::BuildSeekRow()
{
    auto timeLabel = [](const char *name) {
        auto *label = new QLabel(QStringLiteral("   --:--:--"));
        label->setObjectName(QLatin1String(name));
        label->setFont(Styles::Calibri(10, false));
        label->setPalette(Styles::WhiteText());
        label->setStyleSheet(QString::fromLatin1(Styles::TimeLabel));
        label->setFixedWidth(50);
        return label;
    };
    elapsedLabel = timeLabel("elapsedLabel");
    durationLabel = timeLabel("durationLabel");

    seekSlider = new QSlider(Qt::Horizontal);
    seekSlider->setObjectName(QStringLiteral("seekSlider"));
    seekSlider->setRange(0, 100);
    seekSlider->setStyleSheet(QString::fromLatin1(Styles::SeekSlider));
    seekSlider->setEnabled(false);
    seekSlider->installEventFilter(this);
    connect(seekSlider, &QSlider::sliderPressed, this, &DRUI::SliderPress);
    connect(seekSlider, &QSlider::sliderMoved, this, &DRUI::SliderSeek);
    connect(seekSlider, &QSlider::sliderReleased, this, &DRUI::SliderRelease);

    auto *row = new QHBoxLayout;
    row->setSpacing(0);
    row->addWidget(elapsedLabel);
    row->addWidget(seekSlider);
    row->addWidget(durationLabel);
    return row;
}

QWidget *DRUI::BuildControlBar()
{
    infoLabel = new QLabel;
    infoLabel->setObjectName(QStringLiteral("infoLabel"));
    infoLabel->setStyleSheet(QString::fromLatin1(Styles::InfoBox));
    infoLabel->setFont(Styles::Calibri(10, true));
    infoLabel->setWordWrap(false);
    auto *infoRow = new QHBoxLayout;
    infoRow->addWidget(infoLabel);
    // Shown for a while after a file resumed: says so, and one click (or
    // Home) starts it over.
    startOverButton = new QPushButton;
    startOverButton->setObjectName(QStringLiteral("startOverButton"));
    startOverButton->setStyleSheet(QString::fromLatin1(Styles::NoticeButton));
    startOverButton->setFont(Styles::Calibri(10, true));
    startOverButton->setCursor(Qt::PointingHandCursor);
    startOverButton->setShortcut(QKeySequence(Qt::Key_Home));
    startOverButton->setToolTip(Text("MainWnd/ResumedStartOver").arg(QStringLiteral("00:00:00")));
    startOverButton->hide();
    connect(startOverButton, &QPushButton::clicked, this, &DRUI::StartOver);
    infoRow->addWidget(startOverButton);

    auto *transport = new QHBoxLayout;
    transport->setSpacing(0);
    transport->addWidget(CreateImageButton(QStringLiteral("stop.png"), &DRUI::StopBtn));
    transport->itemAt(0)->widget()->setToolTip(Text("MainWnd/Stop"));
    playButton = CreateImageButton(QStringLiteral("play.png"), &DRUI::btnPlaySlot);
    playButton->setToolTip(Text("MainWnd/Play"));
    transport->addWidget(playButton);
    transport->addWidget(CreateImageButton(QStringLiteral("pre.png"), &DRUI::PlayPre));
    transport->itemAt(2)->widget()->setToolTip(Text("MainWnd/Previous"));
    transport->addWidget(CreateImageButton(QStringLiteral("next.png"), &DRUI::PlayNext));
    transport->itemAt(3)->widget()->setToolTip(Text("MainWnd/Next"));

    volumeButton = CreateImageButton(QStringLiteral("volume.png"), &DRUI::VolumeBtn);
    volumeButton->setToolTip(Text("MainWnd/Mute"));
    volumeSlider = new QSlider(Qt::Horizontal);
    volumeSlider->setToolTip(Text("MainWnd/Volume"));
    volumeSlider->setObjectName(QStringLiteral("volumeSlider"));
    volumeSlider->setRange(0, 100);
    volumeSlider->setValue(50);
    volumeSlider->setStyleSheet(QString::fromLatin1(Styles::VolumeSlider));
    volumeSlider->installEventFilter(this);
    connect(volumeSlider, &QSlider::sliderMoved, this, &DRUI::VolumeSliderSeek);
    auto *volumeRow = new QHBoxLayout;
    volumeRow->addWidget(volumeButton);
    volumeRow->addWidget(volumeSlider);
    volumeRow->addWidget(CreateImageButton(QStringLiteral("fullscreen.png"), &DRUI::FullScreenBtn));
    volumeRow->itemAt(2)->widget()->setToolTip(Text("MainWnd/FullScreen"));

    auto *bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("controlBar"));
    bar->setStyleSheet(QString::fromLatin1(Styles::ControlBar));
    auto *layout = new QHBoxLayout(bar);
    layout->addLayout(infoRow);
    layout->addStretch(4);
    layout->addLayout(transport);
    layout->addStretch(4);
    layout->addLayout(volumeRow);
    return bar;
}

QLabel *DRUI::BuildControlPanel()
{
    controlPanel = new QLabel;
    controlPanel->setObjectName(QStringLiteral("controlPanel"));
    controlPanel->setFixedHeight(90);
    auto *layout = new QVBoxLayout(controlPanel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(BuildSeekRow(), 1);
    layout->addWidget(BuildControlBar(), 10);
    return controlPanel;
}
