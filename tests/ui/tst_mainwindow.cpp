// The main window as the user meets it after start-up, on a real X display.
#include "lang/CLanguageMgr.h"
#include "platform/ProgramPaths.h"
#include "ui/DRUI.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QStackedLayout>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

class DRUITestAccess
{
public:
    static QStackedLayout *pageStack(DRUI &w) { return w.pageStack; }
    static QAction *playAction(DRUI &w) { return w.playAction; }
    static QMenu *languageMenu(DRUI &w) { return w.languageMenu; }
    static QProcess *engine(DRUI &w) { return w.engine->process(); }
    static EngineSession *session(DRUI &w) { return w.engine; }
};

// Receives the addresses the window asks the desktop to open.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls.append(url); }
};

struct ExpectedEntry
{
    const char *data;
    bool enabled;
    const char *shortcut;
    bool ellipsis;
};

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startsOnTheWelcomePage();
    void cannotBeNarrowerThanBuilt();
    void menuButtonsSitInTheBar();
    void menusHoldTheirEntries_data();
    void menusHoldTheirEntries();
    void submenusStartAsBuilt();
    void onlyEnabledShortcutsFire();
    void languageSwitchRebuildsOneSetOfWidgets();
    void languageChoiceHoldsForNextStart();
    void helpAndSupportOpenTheirPagesWithoutStopping();
    void frameCloseEndsTheEngine();
    void secondStartRestoresTheWindow();

private:
    QMenu *menu(int index) const { return m_window->findChild<QPushButton *>(
                                       QStringLiteral("menuButton%1").arg(index))->menu(); }
    QAction *languageEntry(const QString &name) const;
    QProcess *startFakeEngine();

    std::unique_ptr<DRUI> m_window;
};

void TestMainWindow::init()
{
    m_window = std::make_unique<DRUI>();
    m_window->BuildPages();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestMainWindow::cleanup()
{
    m_window.reset();
    CLanguageMgr::Instance().SetLanguage(QStringLiteral("English"));
}

void TestMainWindow::startsOnTheWelcomePage()
{
    DRUI &w = *m_window;
    QCOMPARE(w.size(), QSize(1000, 680));
    QCOMPARE(w.windowTitle(), QStringLiteral("Vantorel"));
    QCOMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 0);
    QVERIFY(w.findChild<QTableWidget *>("playlistTable")->isHidden());
    auto *seek = w.findChild<QSlider *>("seekSlider");
    QVERIFY(!seek->isEnabled());
    QCOMPARE(seek->value(), 0);
    QCOMPARE(w.findChild<QSlider *>("volumeSlider")->value(), 50);
    for (const char *name : {"elapsedLabel", "durationLabel"})
        QCOMPARE(w.findChild<QLabel *>(name)->text(), QStringLiteral("   --:--:--"));
    // Title on the left, the two big buttons on the right.
    auto *openFile = w.findChild<QPushButton *>("openFileButton");
    auto *openFolder = w.findChild<QPushButton *>("openFolderButton");
    QCOMPARE(openFile->text(), QStringLiteral("  Open File"));
    QVERIFY(openFolder->text().startsWith("  "));
    QCOMPARE(openFile->iconSize(), QSize(72, 72));
    auto *background = w.findChild<QLabel *>("welcomeBackground");
    QTRY_VERIFY(!background->pixmap().isNull());
    QCOMPARE(background->size(), background->parentWidget()->size());
    QCOMPARE(background->parentWidget(), DRUITestAccess::pageStack(w)->currentWidget());
    const QLabel *title = nullptr;
    for (QLabel *label : w.findChildren<QLabel *>())
        if (label->text() == "Vantorel" && label->isVisible())
            title = label;
    QVERIFY(title);
    QVERIFY(title->mapTo(&w, QPoint()).x() + title->width() <= openFile->mapTo(&w, QPoint()).x());
    // The window's pixels are no blank sheet: the background image is drawn.
    const QImage shot = w.grab().toImage();
    QSet<QRgb> colours;
    for (int x = 0; x < shot.width(); x += 25)
        colours.insert(shot.pixel(x, 300));
    QVERIFY(colours.size() > 10);
}

void TestMainWindow::cannotBeNarrowerThanBuilt()
{
    m_window->resize(600, 500);
    // A fixed wait on purpose: the window is clamped at once, and nothing the
    // display answers later may make it narrower.
    QTest::qWait(50);
    QVERIFY(m_window->width() >= 1000);
}

void TestMainWindow::menuButtonsSitInTheBar()
{
    const QStringList texts = {"File", "Controls", "Video", "Audio", "Tools", "Help"};
    for (int i = 1; i <= 6; ++i) {
        auto *button = m_window->findChild<QPushButton *>(QStringLiteral("menuButton%1").arg(i));
        QVERIFY(button);
        QCOMPARE(button->geometry(), QRect(100 * (i - 1), 1, 100, 20));
        QCOMPARE(button->text(), texts[i - 1]);
        QVERIFY(button->menu());
        QVERIFY(button->isFlat());
        QVERIFY(button->styleSheet().contains("menu-indicator{image:None;}"));
        QCOMPARE(button->parentWidget()->height(), 22);
    }
}

void TestMainWindow::menusHoldTheirEntries_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QList<ExpectedEntry>>("entries");
    QTest::newRow("File") << 1 << QList<ExpectedEntry>{
        {"Open File", true, "Ctrl+O", true}, {"Open Disc", true, "", true},
        {"Recent Files", true, "", false}, {"Eject", true, "", false}, {"Close", true, "Ctrl+Q", false}};
    QTest::newRow("Controls") << 2 << QList<ExpectedEntry>{
        {"Play", true, "Space", false}, {"Stop", true, "", false}, {"Pre", false, "", false},
        {"Next", false, "", false}, {"Forward", false, "Right", false},
        {"Backward", false, "Left", false}, {"VolumeUp", true, "Up", false},
        {"VolumeDown", true, "Down", false}, {"Navigation", false, "P", false},
        {"Title", false, "", false}, {"Chapter", false, "", false},
        {"FullScreen", false, "F", false}};
    QTest::newRow("Video") << 3 << QList<ExpectedEntry>{
        {"HalfSize", false, "", false}, {"NormalSize", false, "", false},
        {"DoubleSize", false, "", false}, {"Fit2Screen", false, "", false},
        {"VideoTrack", false, "", false}, {"SubtitleTrack", false, "", false}};
    QTest::newRow("Audio") << 4 << QList<ExpectedEntry>{
        {"AudioTrack", false, "", false}, {"AudioChannel", false, "", false}, {"Mute", true, "M", false}};
    QTest::newRow("Tools") << 5 << QList<ExpectedEntry>{
        {"PlayList", true, "", true}, {"Preferences", true, "", true},
        {"Snapshot", false, "S", false}};
    QTest::newRow("Help") << 6 << QList<ExpectedEntry>{
        {"Help", true, "", false}, {"Support", true, "", false}, {"Language", true, "", false}};
}

void TestMainWindow::menusHoldTheirEntries()
{
    QFETCH(int, index);
    QFETCH(QList<ExpectedEntry>, entries);
    const QList<QAction *> actions = menu(index)->actions();
    QCOMPARE(actions.size(), entries.size());
    for (int i = 0; i < entries.size(); ++i) {
        const ExpectedEntry &e = entries[i];
        QAction *a = actions[i];
        QCOMPARE(a->data().toString(), QString::fromLatin1(e.data));
        QCOMPARE(a->isEnabled(), e.enabled);
        QCOMPARE(a->shortcut(), QKeySequence(QString::fromLatin1(e.shortcut)));
        QCOMPARE(a->text().endsWith("..."), e.ellipsis);
        QVERIFY(!a->isSeparator());
        QVERIFY(a->text().size() > (e.ellipsis ? 3 : 0));
    }
}

void TestMainWindow::submenusStartAsBuilt()
{
    QMenu *recent = menu(1)->actions()[2]->menu();
    QCOMPARE(recent->actions().size(), 1);
    QCOMPARE(recent->actions()[0]->data().toString(), QStringLiteral("Clear Menu"));

    const QList<QAction *> controls = menu(2)->actions();
    QVERIFY(controls[9]->menu()->actions().isEmpty());
    QVERIFY(controls[10]->menu()->actions().isEmpty());
    QVERIFY(controls[9]->menu()->windowFlags() & Qt::FramelessWindowHint);

    const QList<QAction *> video = menu(3)->actions()[4]->menu()->actions();
    QCOMPARE(video.size(), 2);
    QCOMPARE(video[0]->text(), QStringLiteral("Disable"));
    QCOMPARE(video[0]->data().toInt(), 0);
    QCOMPARE(video[1]->text(), QStringLiteral("Video 1"));
    QVERIFY(video[1]->isChecked());
    QVERIFY(menu(3)->actions()[5]->menu()->actions().isEmpty());

    const QList<QAction *> channels = menu(4)->actions()[1]->menu()->actions();
    QCOMPARE(channels.size(), 3);
    QCOMPARE(channels[0]->data().toString(), QStringLiteral("Stereo"));
    QVERIFY(channels[0]->isChecked());
    QCOMPARE(channels[2]->data().toString(), QStringLiteral("Right"));

    QMenu *languages = DRUITestAccess::languageMenu(*m_window);
    QCOMPARE(languages->actions().size(), CLanguageMgr::Instance().GetLanguages().size());
    QCOMPARE(languages->actions()[0]->data().toString(), QStringLiteral("English"));
    QCOMPARE(languages->defaultAction(), languages->actions()[0]);
    QVERIFY(!languages->actions()[0]->icon().isNull());
    QVERIFY(languages->actions()[1]->icon().isNull());
}

void TestMainWindow::onlyEnabledShortcutsFire()
{
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QSignalSpy play(DRUITestAccess::playAction(*m_window), &QAction::triggered);
    QAction *fullScreen = menu(2)->actions()[11];
    QSignalSpy full(fullScreen, &QAction::triggered);
    QSignalSpy controls(menu(2), &QMenu::triggered);
    QTest::keyClick(m_window.get(), Qt::Key_Space);
    QTest::keyClick(m_window.get(), Qt::Key_F);
    QCOMPARE(play.count(), 1);
    QCOMPARE(full.count(), 0);
    QCOMPARE(controls.count(), 1);
    QVERIFY(!m_window->isFullScreen());
}

QAction *TestMainWindow::languageEntry(const QString &name) const
{
    for (QAction *entry : DRUITestAccess::languageMenu(*m_window)->actions())
        if (entry->data().toString() == name)
            return entry;
    return nullptr;
}

QProcess *TestMainWindow::startFakeEngine()
{
    DRUITestAccess::session(*m_window)->start(QStringLiteral("sleep"), {QStringLiteral("60")},
                                              QStringLiteral("/film.mkv"));
    QProcess *process = DRUITestAccess::engine(*m_window);
    process->waitForStarted();
    return process;
}

void TestMainWindow::languageSwitchRebuildsOneSetOfWidgets()
{
    const int buttons = m_window->findChildren<QPushButton *>().size();
    const int menus = m_window->findChildren<QMenu *>().size();
    const int labels = m_window->findChildren<QLabel *>().size();
    const qint64 enginePid = startFakeEngine()->processId();

    for (const char *language : {"German", "French", "German"}) {
        QAction *entry = languageEntry(QString::fromLatin1(language));
        QVERIFY(entry);
        entry->trigger();
        QTRY_COMPARE(languageEntry(QString::fromLatin1(language)) != nullptr
                         && DRUITestAccess::languageMenu(*m_window)->defaultAction()
                                == languageEntry(QString::fromLatin1(language)),
                     true);
        QCOMPARE(m_window->findChildren<QPushButton *>().size(), buttons);
        QCOMPARE(m_window->findChildren<QMenu *>().size(), menus);
        QCOMPARE(m_window->findChildren<QLabel *>().size(), labels);
    }
    // The language switch stops what plays; an engine deaf to "q" is ended.
    QTRY_VERIFY(!QFileInfo::exists(QStringLiteral("/proc/%1").arg(enginePid)));

    QCOMPARE(menu(1)->title().isEmpty(), true);
    QCOMPARE(m_window->findChild<QPushButton *>("menuButton1")->text(), QStringLiteral("Datei"));
    QCOMPARE(menu(2)->actions()[0]->text(), CLanguageMgr::Instance().GetText("MainWnd/Play"));
    QVERIFY(m_window->findChild<QPushButton *>("openFileButton")->text().contains("Datei"));
    QCOMPARE(DRUITestAccess::pageStack(*m_window)->currentIndex(), 0);
    QVERIFY(!languageEntry("German")->icon().isNull());
    QVERIFY(languageEntry("English")->icon().isNull());
    // The title keeps the language the window was made with.
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Vantorel"));
}

void TestMainWindow::languageChoiceHoldsForNextStart()
{
    languageEntry("Japanese")->trigger();
    QTRY_COMPARE(m_window->findChild<QPushButton *>("menuButton1")->text(),
                 QStringLiteral("ファイル"));
    const CLanguageMgr nextStart(ProgramDir(), UserDataFolder());
    QCOMPARE(nextStart.GetCurrentLanguage(), QStringLiteral("Japanese"));
    QCOMPARE(nextStart.GetText("MainWnd/File"), QStringLiteral("ファイル"));
}

void TestMainWindow::helpAndSupportOpenTheirPagesWithoutStopping()
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("http", &catcher, "open");
    QProcess *engine = startFakeEngine();
    const QList<QAction *> help = menu(6)->actions();
    help[0]->trigger();
    help[1]->trigger();
    QMetaObject::invokeMethod(m_window.get(), "btnAboutSlot");
    QMetaObject::invokeMethod(m_window.get(), "btnOpenUrl", Q_ARG(QString, "http://example.org/x"));
    QDesktopServices::unsetUrlHandler("http");
    QCOMPARE(catcher.urls, (QList<QUrl>{QUrl("http://www.vantorel.org/media-player/Vantorel.html"),
                                        QUrl("http://www.vantorel.org/contact-us.html"),
                                        QUrl("http://www.vantorel.org/about.html"),
                                        QUrl("http://example.org/x")}));
    QCOMPARE(DRUITestAccess::engine(*m_window), engine);
    QCOMPARE(engine->state(), QProcess::Running);
}

void TestMainWindow::frameCloseEndsTheEngine()
{
    const qint64 pid = startFakeEngine()->processId();
    QVERIFY(m_window->close());
    QTRY_VERIFY(!DRUITestAccess::engine(*m_window));
    QTRY_VERIFY(!QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid)));
}

void TestMainWindow::secondStartRestoresTheWindow()
{
    m_window->showMinimized();
    QTRY_VERIFY(m_window->windowState() & Qt::WindowMinimized);
    m_window->RestoreWindow();
    QVERIFY(!(m_window->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)));
    QVERIFY(m_window->isVisible());
}

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwindow.moc"
