// Snapshots end to end with the real engine under X: a clip of known colours
// (one pattern for its first three seconds, its mirror image after), the
// folder and format chosen in Tools > Preferences, Tools > Snapshot while
// it plays and while it is paused. The picture must be the video's own
// frame: its size, its colours, never black.
#include "SnapshotFixture.h"

#include <QApplication>
#include <QComboBox>
#include <QImage>

namespace {

struct Quarters
{
    QRgb topLeft, topRight, bottomLeft, bottomRight;
};

constexpr Quarters Before = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 255)};
constexpr Quarters After = {qRgb(255, 255, 255), qRgb(0, 0, 255), qRgb(0, 255, 0), qRgb(255, 0, 0)};

QString Colour(QRgb rgb)
{
    return QString::asprintf("0x%06x", rgb & 0xffffff);
}

QString QuarterInputs(const Quarters &q, int seconds, int first)
{
    QString graph;
    const QRgb colours[] = {q.topLeft, q.topRight, q.bottomLeft, q.bottomRight};
    for (int i = 0; i < 4; ++i)
        graph += QString("color=c=%1:s=160x120:r=25:d=%2[c%3];")
                     .arg(Colour(colours[i])).arg(seconds).arg(first + i);
    graph += QString("[c%1][c%2]hstack[t%1];[c%3][c%4]hstack[b%1];[t%1][b%1]vstack[v%1];")
                 .arg(first).arg(first + 1).arg(first + 2).arg(first + 3);
    return graph;
}

bool MakePatternClip(const QString &path)
{
    const QString graph = QuarterInputs(Before, 3, 0) + QuarterInputs(After, 27, 4)
        + "[v0][v4]concat=n=2:v=1:a=0,format=yuv420p[out]";
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-hide_banner", "-loglevel", "error", "-y", "-filter_complex", graph,
                            "-map", "[out]", "-c:v", "libx264", "-preset", "ultrafast", "-crf", "10",
                            path});
    return ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0 && QFileInfo::exists(path);
}

bool Near(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) < 48 && qAbs(qGreen(a) - qGreen(b)) < 48
        && qAbs(qBlue(a) - qBlue(b)) < 48;
}

bool Shows(const QImage &image, const Quarters &q)
{
    return Near(image.pixel(80, 60), q.topLeft) && Near(image.pixel(240, 60), q.topRight)
        && Near(image.pixel(80, 180), q.bottomLeft) && Near(image.pixel(240, 180), q.bottomRight);
}

} // namespace

class TestSnapshotReal : public SnapshotFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup() { endSnapshotCase(); }
    void snapshotsWhilePlayingAndWhilePaused();

private:
    void choose(const QString &folder, int format);
    QString awaitSnapshot(const QString &extension);

    QTemporaryDir m_media;
    QString m_clip;
    QString m_folder;
};

void TestSnapshotReal::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("VANTOREL_REAL_ENGINE"))
        qputenv("VANTOREL_REAL_ENGINE", VANTOREL_PROGRAM_DIR "/Player");
    QVERIFY2(QFileInfo(qEnvironmentVariable("VANTOREL_REAL_ENGINE")).isExecutable(),
             "the engine was not built");
    m_clip = m_media.filePath("quarters 'pattern'.mkv");
    QVERIFY(MakePatternClip(m_clip));
    m_folder = m_media.filePath("My Snapshots");
}

void TestSnapshotReal::init()
{
    startCase();
    // The fixture sets up the scripted engine; this test wants the real one.
    qputenv("VANTOREL_ENGINE", qgetenv("VANTOREL_REAL_ENGINE"));
}

void TestSnapshotReal::choose(const QString &folder, int format)
{
    withPreferences([folder, format](CProcessUI &dialog) {
        dialog.setFolderChooser([folder](QWidget *) { return folder; });
        QTest::mouseClick(dialog.findChild<QPushButton *>("browseButton"), Qt::LeftButton);
        dialog.findChild<QComboBox *>("formatBox")->setCurrentIndex(format);
        QTest::mouseClick(dialog.findChild<QPushButton *>("okButton"), Qt::LeftButton);
    });
}

QString TestSnapshotReal::awaitSnapshot(const QString &extension)
{
    QString found;
    auto look = [&] {
        for (const QString &name : snapshotsIn(m_folder))
            if (name.endsWith(extension))
                found = m_folder + "/" + name;
        return !found.isEmpty();
    };
    [&] { QTRY_VERIFY_WITH_TIMEOUT(look(), 10000); }();
    return found;
}

void TestSnapshotReal::snapshotsWhilePlayingAndWhilePaused()
{
    DRUI &w = *m_window;
    choose(m_folder, 1);
    QCOMPARE(DRUITestAccess::snapshotFormat(w), QString("PNG"));
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    openFiles({m_clip});
    QTRY_VERIFY_WITH_TIMEOUT(DRUITestAccess::positionText(w).toInt() >= 1, 10000);
    QAction *snapshot = entry(DRUITestAccess::toolsMenu(w), "Snapshot");
    QTRY_VERIFY(snapshot->isEnabled());

    // While it plays: whichever of the two patterns is on screen.
    snapshot->trigger();
    const QImage playing(awaitSnapshot(".PNG"));
    QCOMPARE(playing.size(), QSize(320, 240));
    QVERIFY(Shows(playing, Before) || Shows(playing, After));

    // Paused well into the second pattern: that is the picture, at once.
    QTRY_VERIFY_WITH_TIMEOUT(DRUITestAccess::positionText(w).toInt() >= 5, 15000);
    QTest::keyClick(&w, Qt::Key_Space);
    QCOMPARE(DRUITestAccess::state(w), PlaybackState::Paused);
    choose(m_folder, 2);
    snapshot->trigger();
    const QString bmp = awaitSnapshot(".BMP");
    QCOMPARE(DRUITestAccess::state(w), PlaybackState::Paused);
    QFile file(bmp);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.read(2), QByteArray("BM"));
    const QImage paused(bmp);
    QCOMPARE(paused.size(), QSize(320, 240));
    QVERIFY(Shows(paused, After));
    // The JPEG comes from the engine as it is, still paused on that frame.
    choose(m_folder, 0);
    snapshot->trigger();
    const QString jpeg = awaitSnapshot(".JPEG");
    QFile jpegFile(jpeg);
    QVERIFY(jpegFile.open(QIODevice::ReadOnly));
    QCOMPARE(jpegFile.read(2), QByteArray("\xff\xd8"));
    const QImage still(jpeg);
    QCOMPARE(still.size(), QSize(320, 240));
    QVERIFY(Shows(still, After));
    // The engine's own files are gone from the data folder.
    QTRY_VERIFY(QDir(data()).entryList({"shot*"}).isEmpty());
    QVERIFY(m_notices.isEmpty());
    w.close();
    QTRY_VERIFY(!DRUITestAccess::engine(w));
}

int main(int argc, char *argv[])
{
    return RunSnapshotTests<TestSnapshotReal>(argc, argv);
}

#include "tst_snapshot_real.moc"
