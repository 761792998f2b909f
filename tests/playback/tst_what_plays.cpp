// What Play plays on a Blu-ray, through the real window and the scripted
// engine: every way of asking for Play or another title, after every state
// a disc can be in, with the exact engine arguments, the start position and
// the length and chapters the window then shows.
#include "ScriptedFixture.h"

#include "TestDisc.h"

#include "engine/TransportMath.h"


namespace {

QByteArray Title(const QByteArray &clip, quint32 seconds, const QList<quint32> &chapters)
{
    return ChapteredPlaylist(clip, seconds, chapters, {{0x81, "eng"}, {0x86, "fra"}});
}

void Write(const QString &path, const QByteArray &bytes)
{
    QVERIFY(WriteDiscFile(path, bytes));
}

} // namespace

class TestWhatPlays : public ScriptedFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup() { endCase(); }
    void everyAskInEveryState_data();
    void everyAskInEveryState();
    void clickOnTheSeekHandle();

private:
    void bringAbout(const QString &state);
    void ask(const QString &request);
    void startedWith(int from, const QString &title);
    void press(Qt::Key key);
    QString numbered(const QString &file) const;
    QStringList chapterTexts() const;

    QString m_disc;
};

// The main title 00001 (6310 s, chapters at 0, 300, 600, 900), 00004
// (6300 s, chapters at 0 and 60) and the short 00003 (150 s, one chapter).
void TestWhatPlays::initTestCase()
{
    m_disc = m_dir.filePath("Disc");
    Write(m_disc + "/BDMV/PLAYLIST/00001.mpls", Title("00001", 6310, {0, 300, 600, 900}));
    Write(m_disc + "/BDMV/PLAYLIST/00003.mpls", Title("00003", 150, {0}));
    Write(m_disc + "/BDMV/PLAYLIST/00004.mpls", Title("00004", 6300, {0, 60}));
    QDir().mkpath(m_disc + "/BDMV/STREAM");
}

QString TestWhatPlays::numbered(const QString &file) const
{
    if (file == "main")
        return "br://0";
    const QString path = m_disc + "/BDMV/PLAYLIST/" + file + ".mpls";
    return QString("br://%1").arg(DRUITestAccess::title(*m_window, path).number);
}

QStringList TestWhatPlays::chapterTexts() const
{
    QStringList texts;
    for (QAction *a : DRUITestAccess::chapterMenu(*m_window)->actions())
        texts << a->text();
    return texts;
}

// An engine started after line `from` of the argument log, for title.
void TestWhatPlays::startedWith(int from, const QString &title)
{
    QTRY_COMPARE(arguments().size(), from + 18);
    QCOMPARE(arguments().mid(from + 15), (QStringList{title, "-bluray-device", m_disc}));
    QTRY_COMPARE(DRUITestAccess::state(*m_window), PlaybackState::Playing);
}

// Keys go where the user's would: to the widget with the focus.
void TestWhatPlays::press(Qt::Key key)
{
    QWidget *focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : m_window.get(), key);
}

void TestWhatPlays::bringAbout(const QString &state)
{
    DRUI &w = *m_window;
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QMenu *controls = DRUITestAccess::controlsMenu(w);
    m_window->setFolderChooser([this](QWidget *) { return m_disc; });
    QTest::mouseClick(Harness::Named(w, "openFolderButton"), Qt::LeftButton);
    QTRY_COMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 1);
    if (state == "page")
        return;
    if (state.startsWith("chapter")) {
        ask("page chapter 3");
        waitForEngineLine("seek 600 2");
        QTRY_COMPARE(DRUITestAccess::state(w), PlaybackState::Playing);
        if (state == "chapter paused") {
            press(Qt::Key_Space);
            DRUITestAccess::positionText(w) = "600"; // on the chapter's whole second
        }
        return;
    }
    if (state == "ended")
        script({"start: Playing Disc.", "on get_time_length: Exiting... (End of file)"});
    ask("page other 00003");
    QTRY_COMPARE(DRUITestAccess::state(w), PlaybackState::Playing);
    waitForEngineLine("volume 50 2"); // the engine has read its script
    script({});
    if (state == "paused")
        press(Qt::Key_Space);
    else if (state == "stopped")
        QTest::mouseClick(Harness::Named(w, "stopButton"), Qt::LeftButton);
    else if (state == "navigated")
        emit controls->triggered(entry(controls, "Navigation"));
    else if (state == "died")
        DRUITestAccess::engine(w)->kill();
    if (state != "playing" && state != "paused")
        QTRY_COMPARE(DRUITestAccess::state(w), PlaybackState::Idle);
    // The engine that died is told of, which is not the point here; the keys
    // are the window's again once the notice has gone.
    if (state == "died")
        QTRY_COMPARE(m_notices.size(), 1);
    m_notices.clear();
    w.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &w);
}

void TestWhatPlays::ask(const QString &request)
{
    DRUI &w = *m_window;
    QMenu *controls = DRUITestAccess::controlsMenu(w);
    QMenu *page = w.findChild<QMenu *>("discMenu");
    // The page's own entries from Play Movie on (Resume before it, and the
    // hidden episode entries, left out).
    const auto pageEntry = [page](int row) {
        QList<QAction *> shown;
        for (QAction *entry : page->actions().mid(1))
            if (entry->isVisible())
                shown << entry;
        return shown.at(row);
    };
    if (request == "button") {
        QTest::mouseClick(Harness::Named(w, "playButton"), Qt::LeftButton);
    } else if (request == "space") {
        press(Qt::Key_Space);
    } else if (request == "controls play") {
        emit controls->triggered(DRUITestAccess::playAction(w));
    } else if (request == "mpris play") {
        w.ControlPlayback(MediaCommand::Play);
    } else if (request == "navigation") {
        emit controls->triggered(entry(controls, "Navigation"));
    } else if (request == "next" || request == "previous") {
        QTest::mouseClick(Harness::Named(w, request == "next" ? "nextButton" : "preButton"), Qt::LeftButton);
    } else if (request == "page movie") {
        QMetaObject::invokeMethod(&w, "BDMenuOperate", Q_ARG(QAction *, pageEntry(0)));
    } else if (request.startsWith("page chapter ")) {
        QAction *chapter = pageEntry(1)->menu()->actions().at(request.mid(13).toInt() - 1);
        QMetaObject::invokeMethod(&w, "BDMenuOperate", Q_ARG(QAction *, chapter));
    } else {
        // "page other F" (the disc page) or "controls title F" (Controls > Title).
        const bool onPage = request.startsWith("page other ");
        QMenu *titles = Harness::Opened(onPage ? pageEntry(4)->menu() : DRUITestAccess::titleMenu(w));
        QAction *chosen = nullptr;
        for (QAction *a : titles->actions())
            if (a->data().value<PLAY_LIST_INFO>().path.endsWith(request.right(5) + ".mpls"))
                chosen = a;
        QVERIFY2(chosen, qPrintable(request));
        if (onPage)
            QMetaObject::invokeMethod(&w, "BDMenuOperate", Q_ARG(QAction *, chosen));
        else
            emit controls->triggered(chosen);
    }
}

// outcome: "start TITLE [SEEK]" (TITLE "main" is br://0, else a playlist
// file played by its number), "pause", "resume", "stay" (the state does not
// change), "page" (back on the disc page, nothing plays), "seek S" (no new
// start, a seek to S while playing).
void TestWhatPlays::everyAskInEveryState_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("request");
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("chapters");

    struct Row { const char *request; const char *outcome; int length; int chapters; };
    // Asking for a title: the same outcome whatever the state.
    const QList<Row> titles = {
        {"page movie", "start main", 6310, 4},
        {"page chapter 2", "start main 300", 6310, 4},
        {"page other 00003", "start 00003", 150, 1},
        {"controls title 00004", "start 00004", 6300, 2},
    };
    // Play: what played last plays again, from where it started; the main
    // title until another was chosen.
    const QStringList plays = {"button", "space", "controls play", "mpris play"};
    const QList<std::pair<const char *, QList<Row>>> states = {
        {"page", {{"*", "start main", 6310, 4}, {"navigation", "page", 0, 4}}},
        {"playing", {{"button", "pause", 150, 1}, {"space", "pause", 150, 1}, {"controls play", "pause", 150, 1},
                     {"mpris play", "stay", 150, 1}, {"navigation", "page", 150, 1}}},
        {"paused", {{"*", "resume", 150, 1}, {"navigation", "page", 150, 1}}},
        {"stopped", {{"*", "start 00003", 150, 1}}},
        {"ended", {{"*", "start 00003", 150, 1}}},
        {"died", {{"*", "start 00003", 150, 1}}},
        {"navigated", {{"*", "start 00003", 150, 1}}},
        {"chapter", {{"button", "pause", 6310, 4}, {"mpris play", "stay", 6310, 4}}},
        // On a chapter's whole second after a jump, Previous goes to the
        // chapter before; both step while paused and play on.
        {"chapter paused", {{"*", "resume", 6310, 4}, {"previous", "seek 300", 6310, 4},
                            {"next", "seek 900", 6310, 4}}},
    };
    for (const auto &[state, rows] : states) {
        QList<Row> all = titles;
        for (const Row &row : rows) {
            if (QByteArray(row.request) != "*") {
                all << row;
                continue;
            }
            for (const QString &play : plays)
                all << Row{qstrdup(qPrintable(play)), row.outcome, row.length, row.chapters};
        }
        for (const Row &row : all)
            QTest::addRow("%s, %s", state, row.request) << state << row.request << row.outcome
                                                        << row.length << row.chapters;
    }
}

void TestWhatPlays::everyAskInEveryState()
{
    QFETCH(QString, state);
    QFETCH(QString, request);
    QFETCH(QString, outcome);
    QFETCH(int, length);
    QFETCH(int, chapters);
    startCase();
    DRUI &w = *m_window;
    bringAbout(state);
    const PlaybackState before = DRUITestAccess::state(w);
    const int from = int(arguments().size());
    const int sent = int(received().size());
    ask(request);

    const QStringList words = outcome.split(' ');
    if (words[0] == "start") {
        startedWith(from, numbered(words[1]));
        // A start position follows the volume at once; a title starts from
        // its beginning, whatever chapter was chosen before. The engine logs
        // what it reads in its own time.
        const QString seek = words.size() > 2 ? "seek " + words[2] + " 2" : QString("volume 50 2");
        QTRY_VERIFY2(received().mid(sent).contains(seek), qPrintable(seek));
        QTest::qWait(100); // a seek that should not come would come by now
        const QStringList now = received().mid(sent);
        if (words.size() > 2)
            QCOMPARE(now.value(now.indexOf("volume 50 2") + 1), "seek " + words[2] + " 2");
        else
            QVERIFY2(now.filter("seek").isEmpty(), qPrintable(now.join(" | ")));
    } else {
        QTest::qWait(150); // nothing may start
        QCOMPARE(arguments().size(), from);
        const QMap<QString, PlaybackState> states = {{"pause", PlaybackState::Paused},
                                                     {"resume", PlaybackState::Playing},
                                                     {"seek", PlaybackState::Playing},
                                                     {"stay", before}};
        if (words[0] == "page") {
            QTRY_COMPARE(DRUITestAccess::state(w), PlaybackState::Idle);
            QCOMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 1);
        } else {
            QCOMPARE(DRUITestAccess::state(w), states.value(words[0]));
        }
        if (words[0] == "seek")
            waitForEngineLine("seek " + words[1] + " 2");
    }
    QCOMPARE(DRUITestAccess::lengthSeconds(w), qint64(length));
    QCOMPARE(chapterTexts().size(), chapters);
    QCOMPARE(m_notices, QStringList());
}

// A click on the handle itself seeks to where the handle stands (or not at
// all), never to the target of an earlier drag or jump.
void TestWhatPlays::clickOnTheSeekHandle()
{
    startCase();
    DRUI &w = *m_window;
    bringAbout("page");
    ask("page movie");
    QTRY_COMPARE(DRUITestAccess::state(w), PlaybackState::Playing);
    QSlider *slider = DRUITestAccess::seekSlider(w);
    press(Qt::Key_Right); // a jump leaves its target behind
    waitForEngineLine("seek 60 2");
    // The handle stands where a click's value is its own: the handle covers
    // that point.
    const int x = slider->width() / 3;
    const int value = SliderClickValue(0, slider->maximum(), x, slider->width());
    slider->setValue(value);
    const int sent = int(received().size());
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(x, slider->height() / 2));
    QTest::qWait(150);
    const QStringList seeks = received().mid(sent).filter("seek");
    for (const QString &seek : seeks)
        QCOMPARE(seek, QString("seek %1 2").arg(value));
}

QTEST_MAIN(TestWhatPlays)
#include "tst_what_plays.moc"
