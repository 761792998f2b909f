// MPRIS through a real session bus: the real program and its real engine on
// generated clips and an authored Blu-ray, driven by playerctl and by QtDBus
// as the desktop's media keys and widgets would.
#include "DesktopHarness.h"

#include "BlurayAuthor.h"
#include "TestMedia.h"

#include <QDBusConnectionInterface>
#include <QDBusMetaType>

using namespace Desktop;

namespace {

// playerctl, run to its end; its standard output, trimmed.
QString Playerctl(const QStringList &arguments)
{
    QProcess playerctl;
    playerctl.start(QStringLiteral("playerctl"), QStringList{"--player=vantorel"} + arguments);
    if (!playerctl.waitForFinished(20000))
        return QStringLiteral("(playerctl hung)");
    return QString::fromUtf8(playerctl.readAllStandardOutput()).trimmed();
}

} // namespace

// Collects the PropertiesChanged and Seeked signals of the player.
class SignalLog : public QObject
{
    Q_OBJECT
public:
    QList<QVariantMap> changes;
    QList<qint64> seeks;
public slots:
    void changed(const QString &, const QVariantMap &properties, const QStringList &) { changes << properties; }
    void seeked(qlonglong position) { seeks << position; }
};

class TestMprisReal : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void statusMetadataAndPositionWhilePlaying();
    void playPauseSeekNextStopAsTheButtons();
    void nonsenseCallsChangeNothing();
    void openUriOpensLocalFilesOnly();
    void aDiscTellsItsNameTitleAndChapter();
    void quitEndsTheProgram();

private:
    bool changedTo(const QString &name, const QVariant &value) const;

    Session m_session;
    QTemporaryDir m_media;
    QString m_first, m_second, m_disc;
    std::unique_ptr<QProcess> m_player;
    Mpris m_mpris;
    SignalLog m_signals;
};

void TestMprisReal::initTestCase()
{
    QVERIFY2(QFileInfo(Program).isExecutable(), qPrintable(Program));
    m_first = m_media.filePath("first clip.mkv");
    m_second = m_media.filePath("second clip.mkv");
    QVERIFY(TestMedia::MakeClip(m_first, 40));
    QVERIFY(TestMedia::MakeClip(m_second, 40));
    const QString m2ts = m_media.filePath("main.m2ts");
    QVERIFY(TestMedia::MakeM2ts(m2ts, 12, 1, 440));
    m_disc = m_media.filePath("AUTHORED_DISC");
    QString error;
    QVERIFY2(BlurayAuthor::WriteDisc(m_disc, {{m2ts, {"eng"}, {0, 4, 8}}}, {}, &error), qPrintable(error));

    m_session.env.insert("VANTOREL_ENGINE", QStringLiteral(VANTOREL_PROGRAM_DIR "/Player"));
    m_player = m_session.startFirst({m_first, m_second});
    QTRY_VERIFY_WITH_TIMEOUT(m_mpris.present(), 20000);
    QDBusConnection bus = QDBusConnection::sessionBus();
    QVERIFY(bus.connect(Service, ObjectPath, "org.freedesktop.DBus.Properties", "PropertiesChanged", &m_signals,
                        SLOT(changed(QString, QVariantMap, QStringList))));
    QVERIFY(bus.connect(Service, ObjectPath, PlayerInterface, "Seeked", &m_signals, SLOT(seeked(qlonglong))));
}

void TestMprisReal::cleanupTestCase()
{
    if (m_player && m_player->state() != QProcess::NotRunning)
        Session::end(*m_player);
}

bool TestMprisReal::changedTo(const QString &name, const QVariant &value) const
{
    for (const QVariantMap &change : m_signals.changes)
        if (change.value(name) == value)
            return true;
    return false;
}

void TestMprisReal::statusMetadataAndPositionWhilePlaying()
{
    QTRY_COMPARE_WITH_TIMEOUT(m_mpris.status(), QStringLiteral("Playing"), 20000);
    QCOMPARE(m_mpris.url(), FileUrl(m_first));
    // The length comes from the probe, beside the window.
    QTRY_COMPARE_WITH_TIMEOUT(m_mpris.metadata().value("mpris:length").toLongLong(), 40'000'000LL, 20000);
    const QVariantMap metadata = m_mpris.metadata();
    QCOMPARE(metadata.value("xesam:title").toString(), QStringLiteral("first clip.mkv"));
    QVERIFY(m_mpris.trackId().startsWith("/org/vantorel/Vantorel/track/"));
    QTRY_VERIFY_WITH_TIMEOUT(m_mpris.positionUs() > 1'500'000, 10000);
    QCOMPARE(m_mpris.property("CanGoNext").toBool(), true);
    QCOMPARE(m_mpris.property("CanGoPrevious").toBool(), false);
    QCOMPARE(m_mpris.property("Identity", "org.mpris.MediaPlayer2").toString(), QStringLiteral("Vantorel"));
    QCOMPARE(m_mpris.property("DesktopEntry", "org.mpris.MediaPlayer2").toString(),
             QStringLiteral("org.vantorel.Vantorel"));
    QVERIFY(m_mpris.property("SupportedMimeTypes", "org.mpris.MediaPlayer2").toStringList().contains("video/x-matroska"));
    // What the desktop's widgets read.
    QCOMPARE(Playerctl({"status"}), QStringLiteral("Playing"));
    QCOMPARE(Playerctl({"metadata", "xesam:url"}), FileUrl(m_first));
    QVERIFY(Playerctl({"position"}).toDouble() > 1.0);
}

void TestMprisReal::playPauseSeekNextStopAsTheButtons()
{
    Playerctl({"play-pause"});
    QTRY_COMPARE(m_mpris.status(), QStringLiteral("Paused"));
    QTRY_VERIFY(changedTo("PlaybackStatus", "Paused"));
    const qint64 paused = m_mpris.positionUs();
    QTest::qWait(1200);
    QCOMPARE(m_mpris.positionUs(), paused);
    Playerctl({"play-pause"});
    QTRY_COMPARE(m_mpris.status(), QStringLiteral("Playing"));
    QTRY_VERIFY(changedTo("PlaybackStatus", "Playing"));

    // Absolute (SetPosition through playerctl) and relative (Seek).
    m_signals.seeks.clear();
    Playerctl({"position", "20"});
    QTRY_VERIFY(qAbs(m_mpris.positionUs() - 20'000'000) < 2'000'000);
    QTRY_VERIFY(!m_signals.seeks.isEmpty());
    QVERIFY(qAbs(m_signals.seeks.last() - 20'000'000) < 1'000'000);
    QVERIFY(m_mpris.call("Seek", {qlonglong(-10'000'000)}));
    QTRY_VERIFY(qAbs(m_mpris.positionUs() - 10'000'000) < 2'000'000);
    QVERIFY(m_mpris.call("Seek", {qlonglong(-60'000'000)})); // before the start: the start
    QTRY_VERIFY(m_mpris.positionUs() < 2'000'000);

    QVERIFY(m_mpris.set("Volume", 0.3));
    QTRY_COMPARE(m_mpris.property("Volume").toDouble(), 0.3);
    QTRY_VERIFY(changedTo("Volume", 0.3));

    Playerctl({"next"});
    QTRY_COMPARE_WITH_TIMEOUT(m_mpris.url(), FileUrl(m_second), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(m_mpris.status(), QStringLiteral("Playing"), 20000);
    QCOMPARE(m_mpris.property("CanGoNext").toBool(), false);
    Playerctl({"previous"});
    QTRY_COMPARE_WITH_TIMEOUT(m_mpris.url(), FileUrl(m_first), 20000);

    Playerctl({"stop"});
    QTRY_COMPARE(m_mpris.status(), QStringLiteral("Stopped"));
    QCOMPARE(m_mpris.trackId(), QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"));
    QCOMPARE(m_mpris.positionUs(), 0);
    // Play starts what was playing again.
    Playerctl({"play"});
    QTRY_COMPARE_WITH_TIMEOUT(m_mpris.status(), QStringLiteral("Playing"), 20000);
    QCOMPARE(m_mpris.url(), FileUrl(m_first));
}

void TestMprisReal::nonsenseCallsChangeNothing()
{
    QTRY_VERIFY_WITH_TIMEOUT(m_mpris.positionUs() > 2'000'000, 10000);
    const QString track = m_mpris.trackId();
    const auto position = [this] { return m_mpris.positionUs(); };
    // Another track, positions outside the medium: no seek at all.
    for (const auto &[id, at] : QList<std::pair<QString, qlonglong>>{
             {QStringLiteral("/org/vantorel/Vantorel/track/999"), 30'000'000},
             {QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"), 30'000'000},
             {track, -1},
             {track, 41'000'000},
             {track, std::numeric_limits<qlonglong>::max()},
             {track, std::numeric_limits<qlonglong>::min()}}) {
        QVERIFY(m_mpris.call("SetPosition", {QVariant::fromValue(QDBusObjectPath(id)), at}));
        QVERIFY2(position() < 20'000'000, qPrintable(id));
    }
    QVERIFY(m_mpris.call("Seek", {std::numeric_limits<qlonglong>::min()}));
    QVERIFY(m_mpris.set("Volume", 7.5));
    QTRY_COMPARE(m_mpris.property("Volume").toDouble(), 1.0);
    QVERIFY(m_mpris.set("Volume", -2.0));
    QTRY_COMPARE(m_mpris.property("Volume").toDouble(), 0.0);
    QVERIFY(m_mpris.set("Rate", 4.0));
    QCOMPARE(m_mpris.property("Rate").toDouble(), 1.0);

    // While nothing plays, every command is a no-op.
    Playerctl({"stop"});
    QTRY_COMPARE(m_mpris.status(), QStringLiteral("Stopped"));
    for (const char *method : {"Pause", "Next", "Previous", "Stop"})
        QVERIFY(m_mpris.call(method));
    QVERIFY(m_mpris.call("Seek", {qlonglong(5'000'000)}));
    QVERIFY(m_mpris.call("SetPosition", {QVariant::fromValue(QDBusObjectPath(track)), qlonglong(1'000'000)}));
    QTest::qWait(500);
    QCOMPARE(m_mpris.status(), QStringLiteral("Stopped"));
    QCOMPARE(m_player->state(), QProcess::Running);
}

void TestMprisReal::openUriOpensLocalFilesOnly()
{
    QVERIFY(m_mpris.call("OpenUri", {QStringLiteral("http://example.org/film.mkv")}));
    QVERIFY(m_mpris.call("OpenUri", {QStringLiteral("file://elsewhere/film.mkv")}));
    QVERIFY(m_mpris.call("OpenUri", {QStringLiteral("not a uri at all")}));
    QTest::qWait(500);
    QCOMPARE(m_mpris.status(), QStringLiteral("Stopped"));
    QVERIFY(m_mpris.call("OpenUri", {FileUrl(m_second)}));
    QTRY_COMPARE_WITH_TIMEOUT(m_mpris.url(), FileUrl(m_second), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(m_mpris.status(), QStringLiteral("Playing"), 20000);
}

void TestMprisReal::aDiscTellsItsNameTitleAndChapter()
{
    QVERIFY(m_mpris.call("OpenUri", {FileUrl(m_disc)}));
    // The disc page: nothing plays until its movie is asked for, and the
    // desktop shows the disc that Play starts.
    QTRY_COMPARE_WITH_TIMEOUT(m_mpris.metadata().value("xesam:album").toString(), QStringLiteral("AUTHORED_DISC"),
                              20000);
    QCOMPARE(m_mpris.status(), QStringLiteral("Stopped"));
    QVERIFY(m_mpris.property("CanPlay").toBool());
    Playerctl({"play"});
    QTRY_COMPARE_WITH_TIMEOUT(m_mpris.status(), QStringLiteral("Playing"), 20000);
    QVariantMap metadata = m_mpris.metadata();
    QCOMPARE(metadata.value("xesam:url").toString(), FileUrl(m_disc));
    QCOMPARE(metadata.value("xesam:album").toString(), QStringLiteral("AUTHORED_DISC"));
    QCOMPARE(metadata.value("xesam:title").toString(), QStringLiteral("AUTHORED_DISC"));
    QVERIFY(metadata.value("xesam:trackNumber").toInt() >= 1);
    QTRY_COMPARE_WITH_TIMEOUT(m_mpris.metadata().value("vantorel:chapter").toInt(), 1, 10000);
    // Next steps to the following chapter, as the button does.
    QVERIFY(m_mpris.property("CanGoNext").toBool());
    Playerctl({"next"});
    QTRY_COMPARE_WITH_TIMEOUT(m_mpris.metadata().value("vantorel:chapter").toInt(), 2, 10000);
}

void TestMprisReal::quitEndsTheProgram()
{
    QDBusInterface root(Service, ObjectPath, "org.mpris.MediaPlayer2");
    QVERIFY(root.call("Raise").type() != QDBusMessage::ErrorMessage);
    QVERIFY(root.call("Quit").type() != QDBusMessage::ErrorMessage);
    QVERIFY(m_player->waitForFinished(15000));
    QCOMPARE(m_player->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_player->exitCode(), 0);
    QTRY_VERIFY(!m_mpris.present());
}

int main(int argc, char *argv[])
{
    PrivateBus bus;
    if (!bus.start())
        qFatal("dbus-daemon could not be started");
    QCoreApplication app(argc, argv);
    TestMprisReal test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mpris_real.moc"
