// Disc folders end to end with the real engine: a DVD folder made with
// dvdauthor plays embedded; a Blu-ray folder authored here shows its name
// and picture on the disc page, and its movie, chapters, other title and
// audio choice play as chosen.
#include "PlaybackHarness.h"

#include "BlurayAuthor.h"
#include "EngineDriver.h"
#include "TestMedia.h"

#include "dialogs/CMessageBox.h"

#include <QApplication>
#include <QProcess>
#include <QScreen>
#include <QTimer>

using namespace Harness;

class TestDiscReal : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void dvdFolderPlaysEmbedded();
    void blurayThroughTheDiscPage();
    void blurayImageThroughTheDiscPage();
    void dvdImageTitlesAndChapters();

private:
    QImage videoPixels() const;
    bool pictureMoves() const;
    QAction *discEntry(int row) const;
    void choose(QAction *action);
    QString trace() const { return m_work.filePath("trace.txt"); }

    QTemporaryDir m_work;
    QString m_dvd, m_bluray;
    QStringList m_notices;
    QTimer m_answer;
    std::unique_ptr<DRUI> m_window;
};

void TestDiscReal::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("VANTOREL_ENGINE"))
        qputenv("VANTOREL_ENGINE", VANTOREL_PROGRAM_DIR "/Player");
    // The engine notes what it switches to here.
    qputenv("PLAYER_TRACE", trace().toUtf8());
    m_dvd = m_work.filePath("DVD folder");
    QVERIFY2(TestMedia::MakeDvd(m_dvd, {6}, m_work.path()), "dvdauthor could not make the DVD");
    const QString main = m_work.filePath("main.m2ts"), extra = m_work.filePath("extra.m2ts");
    QVERIFY(TestMedia::MakeM2ts(main, 12, 2, 440));
    QVERIFY(TestMedia::MakeM2ts(extra, 4, 1, 330));
    m_bluray = m_work.filePath("Blu-ray «Film»");
    QString error;
    QVERIFY2(BlurayAuthor::WriteDisc(m_bluray, {{extra, {"deu"}, {0}}, {main, {"eng", "fra"}, {0, 4, 8}}},
                                     {}, &error),
             qPrintable(error));
    QFile metadata(m_bluray + "/BDMV/META/DL/bdmt_eng.xml");
    QVERIFY(QDir().mkpath(m_bluray + "/BDMV/META/DL"));
    QVERIFY(metadata.open(QIODevice::WriteOnly));
    metadata.write("<di:name>Amélie au cinéma</di:name>\n<di:thumbnail href=\"cover.jpg\" />\n");
    metadata.close();
    // The main title's chapters have names; the disc names a fourth that it lacks.
    QVERIFY(QDir().mkpath(m_bluray + "/BDMV/META/TN"));
    QFile names(m_bluray + "/BDMV/META/TN/tnmt_eng_00001.xml");
    QVERIFY(names.open(QIODevice::WriteOnly));
    names.write("<disclib xmlns:tn=\"urn:BDA:bdmv;tn\"><tn:titlenames><tn:chapters><tn:name>Opening</tn:name>"
                "<tn:name>Storm</tn:name><tn:name>Calm</tn:name><tn:name>None</tn:name></tn:chapters>"
                "</tn:titlenames></disclib>");
    names.close();
    QImage cover(416, 240, QImage::Format_RGB32);
    cover.fill(QColor(200, 60, 40));
    QVERIFY(cover.save(m_bluray + "/BDMV/META/DL/cover.jpg"));
    connect(&m_answer, &QTimer::timeout, this, [this] {
        if (auto *box = qobject_cast<CMessageBox *>(QApplication::activeModalWidget())) {
            m_notices << box->messageLabel()->text();
            box->btnSlotOK();
        }
    });
    m_answer.start(100);
}

void TestDiscReal::init()
{
    QFile::remove(trace());
    m_window = std::make_unique<DRUI>();
    m_window->BuildPages();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestDiscReal::cleanup()
{
    m_window.reset();
    QCOMPARE(m_notices, QStringList());
}

QImage TestDiscReal::videoPixels() const
{
    QLabel *surface = DRUITestAccess::videoSurface(*m_window);
    return QGuiApplication::primaryScreen()->grabWindow(surface->winId()).toImage();
}

bool TestDiscReal::pictureMoves() const
{
    const QImage before = videoPixels();
    QTest::qWait(300); // frames in between
    const QImage after = videoPixels();
    int changed = 0;
    for (int y = 0; y < before.height(); y += 4)
        for (int x = 0; x < before.width(); x += 4)
            changed += before.pixel(x, y) != after.pixel(x, y);
    return changed > 20;
}

QAction *TestDiscReal::discEntry(int row) const
{
    // The page's own entries from Play Movie on: the Resume entry before it
    // (shown once the disc has a place remembered) and Play All and
    // Episodes (hidden unless the disc holds episodes) left out.
    QList<QAction *> shown;
    for (QAction *entry : m_window->findChild<QMenu *>("discMenu")->actions().mid(1)) {
        if (entry->isVisible())
            shown << entry;
    }
    return shown.at(row);
}

void TestDiscReal::choose(QAction *action)
{
    QMetaObject::invokeMethod(m_window.get(), "BDMenuOperate", Q_ARG(QAction *, action));
}

void TestDiscReal::dvdFolderPlaysEmbedded()
{
    DRUI &w = *m_window;
    w.setFolderChooser([this](QWidget *) { return m_dvd; });
    QTest::mouseClick(Named(w, "openFolderButton"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(DRUITestAccess::state(w), PlaybackState::Playing, 10000);
    QCOMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 2);
    QTRY_VERIFY2_WITH_TIMEOUT(pictureMoves(), "the DVD's picture does not move", 10000);
    // Its length comes from the engine's first answer.
    QTRY_VERIFY_WITH_TIMEOUT(qAbs(DRUITestAccess::lengthSeconds(w) - 6) <= 1, 5000);
    QCOMPARE(w.playlist.value(0).kind, int(MEDIA_DVD));
    QTRY_COMPARE_WITH_TIMEOUT(DRUITestAccess::pageStack(w)->currentIndex(), 0, 15000);
}

void TestDiscReal::blurayThroughTheDiscPage()
{
    DRUI &w = *m_window;
    w.OpenDiscFolder(m_bluray);
    QTRY_COMPARE_WITH_TIMEOUT(DRUITestAccess::pageStack(w)->currentIndex(), 1, 10000);
    QCOMPARE(DRUITestAccess::discTitleLabel(w)->text(), QString("Amélie au cinéma"));
    const QImage shown = DRUITestAccess::discPicture(w)->pixmap().toImage();
    QCOMPARE(shown.size(), QSize(416, 240));
    QVERIFY(qAbs(QColor(shown.pixel(200, 120)).red() - 200) < 20);
    if (!qEnvironmentVariableIsEmpty("VANTOREL_SCREENSHOTS"))
        w.grab().save(qEnvironmentVariable("VANTOREL_SCREENSHOTS") + "/disc-page.png");

    // Play Movie: the main (longer) title, embedded.
    choose(discEntry(0));
    QTRY_COMPARE_WITH_TIMEOUT(DRUITestAccess::state(w), PlaybackState::Playing, 10000);
    QTRY_VERIFY2_WITH_TIMEOUT(pictureMoves(), "the movie's picture does not move", 10000);
    QTRY_COMPARE_WITH_TIMEOUT(w.findChild<QLabel *>("durationLabel")->text(), QString(" 00:00:12"), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(LastTraceValue(trace(), "aid"), QString("1"), 5000);

    // Chapter 2 starts at its time (4 s): the engine is in its second chapter.
    QMenu *controls = DRUITestAccess::controlsMenu(w);
    for (QAction *a : controls->actions())
        if (a->data().toString() == "Navigation")
            emit controls->triggered(a);
    QCOMPARE(DRUITestAccess::pageStack(w)->currentIndex(), 1);
    QFile::remove(trace());
    choose(discEntry(1)->menu()->actions().at(1));
    QTRY_COMPARE_WITH_TIMEOUT(DRUITestAccess::state(w), PlaybackState::Playing, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(LastTraceValue(trace(), "chapter"), QString("1"), 8000);

    // The audio choice reaches the next start: the second stream.
    for (QAction *a : controls->actions())
        if (a->data().toString() == "Navigation")
            emit controls->triggered(a);
    choose(discEntry(2)->menu()->actions().at(2));
    QFile::remove(trace());
    choose(discEntry(0));
    QTRY_COMPARE_WITH_TIMEOUT(LastTraceValue(trace(), "aid"), QString("2"), 10000);

    // Other Titles: the short title, with its own length and stream.
    for (QAction *a : controls->actions())
        if (a->data().toString() == "Navigation")
            emit controls->triggered(a);
    choose(Opened(discEntry(4)->menu())->actions().at(1));
    QTRY_COMPARE_WITH_TIMEOUT(DRUITestAccess::state(w), PlaybackState::Playing, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(w.findChild<QLabel *>("durationLabel")->text(), QString(" 00:00:04"), 5000);
    QTRY_VERIFY2_WITH_TIMEOUT(pictureMoves(), "the other title's picture does not move", 10000);
    QCOMPARE(w.playlist.size(), 1);
    QCOMPARE(w.recentFiles.value(0), m_bluray);
}

// The same disc as an image, handed over as the desktop hands a file over.
void TestDiscReal::blurayImageThroughTheDiscPage()
{
    DRUI &w = *m_window;
    const QString image = m_work.filePath("Film.iso");
    QCOMPARE(QProcess::execute("genisoimage", {"-quiet", "-udf", "-o", image, m_bluray}), 0);
    w.OpenFromDesktop({image});
    QTRY_COMPARE_WITH_TIMEOUT(DRUITestAccess::pageStack(w)->currentIndex(), 1, 10000);
    QCOMPARE(DRUITestAccess::discTitleLabel(w)->text(), QString("Amélie au cinéma"));
    QCOMPARE(DRUITestAccess::discPicture(w)->pixmap().size(), QSize(416, 240));
    QStringList chapters;
    for (QAction *a : DRUITestAccess::chapterMenu(w)->actions())
        chapters << a->text();
    QCOMPARE(chapters, (QStringList{"1. 00:00:00  Opening", "2. 00:00:04  Storm", "3. 00:00:08  Calm"}));

    choose(discEntry(2)->menu()->actions().at(2));
    choose(discEntry(0));
    QTRY_COMPARE_WITH_TIMEOUT(DRUITestAccess::state(w), PlaybackState::Playing, 10000);
    QTRY_VERIFY2_WITH_TIMEOUT(pictureMoves(), "the image's movie does not move", 10000);
    QTRY_COMPARE_WITH_TIMEOUT(w.findChild<QLabel *>("durationLabel")->text(), QString(" 00:00:12"), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(LastTraceValue(trace(), "aid"), QString("2"), 5000);
    QCOMPARE(w.playlist.value(0).path, image);
    QCOMPARE(w.playlist.value(0).kind, int(MEDIA_BLURAY));
    QCOMPARE(w.recentFiles.value(0), image);
}

// A DVD image of two titles with a chapter every 2 s: Title 2 plays, a
// chapter seeks, Next steps to the next chapter.
void TestDiscReal::dvdImageTitlesAndChapters()
{
    DRUI &w = *m_window;
    const QString folder = m_work.filePath("two titles"), image = m_work.filePath("two titles.iso");
    QVERIFY(TestMedia::MakeDvd(folder, {4, 9}, m_work.path(), 2));
    QCOMPARE(QProcess::execute("genisoimage", {"-quiet", "-udf", "-dvd-video", "-o", image, folder}), 0);
    w.OpenFromDesktop({image});
    QTRY_COMPARE_WITH_TIMEOUT(DRUITestAccess::state(w), PlaybackState::Playing, 10000);
    QMenu *titles = DRUITestAccess::titleMenu(w);
    QCOMPARE(titles->actions().size(), 2);
    QVERIFY(titles->actions()[0]->isChecked());
    QVERIFY(titles->actions()[1]->text().endsWith("00:00:09"));

    emit DRUITestAccess::controlsMenu(w)->triggered(titles->actions()[1]);
    QTRY_COMPARE_WITH_TIMEOUT(DRUITestAccess::state(w), PlaybackState::Playing, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(w.findChild<QLabel *>("durationLabel")->text(), QString(" 00:00:09"), 5000);
    QVERIFY(titles->actions()[1]->isChecked());
    QMenu *chapters = DRUITestAccess::chapterMenu(w);
    QCOMPARE(chapters->actions().size(), 5);
    emit DRUITestAccess::controlsMenu(w)->triggered(chapters->actions()[3]); // 6 s
    QTRY_VERIFY_WITH_TIMEOUT(DRUITestAccess::positionText(w).toInt() >= 6, 5000);
    Opened(chapters);
    QVERIFY(chapters->actions()[3]->isChecked());
    QCOMPARE(w.playlist.size(), 1);
    QCOMPARE(w.playlist.value(0).kind, int(MEDIA_DVD));
}

int main(int argc, char *argv[])
{
    return Harness::RunWindowTests<TestDiscReal>(argc, argv);
}

#include "tst_disc_real.moc"
