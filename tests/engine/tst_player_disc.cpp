// The real Player on a DVD folder made with dvdauthor and on a Blu-ray
// folder authored here, driven as the main window drives it.
#include "BlurayAuthor.h"
#include "EngineDriver.h"
#include "PlayerHarness.h"
#include "TestMedia.h"

#include "disc/BlurayTitleList.h"

#include <libbluray/bluray.h>

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class TestPlayerDisc : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void authoredBlurayOpensInLibbluray();
    void dvdTitlesPlayWithTheFullProtocol();
    void dvdEndsWithEndOfFile();
    void blurayMainTitleIsTheDiscLibrarysMain();
    void blurayTitleNumbersAreTheDiscLibrarys();
    void blurayTitleTakesCommands();
    void blurayTitleEndsWithEndOfFile();
    void missingTitlesFailClearly();
    void encryptedDiscsAreNamed();

private:
    QStringList Arguments() const { return EngineArguments(area_->WindowId(), shots_); }
    QString StartTraced(EngineDriver& engine, const QStringList& medium);

    QTemporaryDir work_;
    QString dvd_, bluray_, shots_;
    std::unique_ptr<VideoArea> area_;
};

void TestPlayerDisc::initTestCase()
{
    QVERIFY(work_.isValid());
    shots_ = work_.filePath("data/");
    dvd_ = work_.filePath("DVD");
    QVERIFY2(TestMedia::MakeDvd(dvd_, {3, 5}, work_.path()), "dvdauthor could not make the DVD");
    const QString main = work_.filePath("main.m2ts"), extra = work_.filePath("extra.m2ts");
    QVERIFY(TestMedia::MakeM2ts(main, 5, 2, 440));
    QVERIFY(TestMedia::MakeM2ts(extra, 3, 3, 330));
    bluray_ = work_.filePath("BLURAY");
    QString error;
    // Playlist 00002 is a byte copy of 00001: the disc library drops it, so
    // its title numbers and libbluray's playlist numbers part ways. Playlist
    // 00000 offers two of its clip's three audio streams, the last one first.
    QVERIFY2(BlurayAuthor::WriteDisc(bluray_,
                                     {{extra, {"fra", "deu", "spa"}, {0, 1, 2}, {2, 0}},
                                      {main, {"eng", "jpn"}, {0, 2, 4}}},
                                     {1}, &error),
             qPrintable(error));
    area_ = std::make_unique<VideoArea>();
    QVERIFY2(area_->Ready(), "the video area never showed on the screen");
}

QString TestPlayerDisc::StartTraced(EngineDriver& engine, const QStringList& medium)
{
    const QString trace = work_.filePath(QString("trace-%1-%2.txt")
                                             .arg(QTest::currentTestFunction())
                                             .arg(QDateTime::currentMSecsSinceEpoch()));
    engine.Start(PlayerProgram(), Arguments() + medium, {"PLAYER_TRACE=" + trace});
    return trace;
}

void TestPlayerDisc::authoredBlurayOpensInLibbluray()
{
    using Disc = std::unique_ptr<BLURAY, decltype(&bd_close)>;
    const Disc disc(bd_open(bluray_.toLocal8Bit().constData(), nullptr), &bd_close);
    QVERIFY(disc);
    const BLURAY_DISC_INFO* info = bd_get_disc_info(disc.get());
    QVERIFY(info && info->bluray_detected);
    QCOMPARE(int(info->num_hdmv_titles), 2);
    QVERIFY(bd_get_titles(disc.get(), TITLES_ALL, 0) >= 2);
    for (const uint32_t playlist : {0u, 1u}) {
        using Title = std::unique_ptr<BLURAY_TITLE_INFO, decltype(&bd_free_title_info)>;
        const Title title(bd_get_playlist_info(disc.get(), playlist, 0), &bd_free_title_info);
        QVERIFY(title);
        QCOMPARE(int(title->chapter_count), 3);
        QCOMPARE(int(title->clip_count), 1);
        QCOMPARE(int(title->clips[0].audio_stream_count), 2);
        const double seconds = title->duration / 90000.0;
        QVERIFY2(qAbs(seconds - (playlist == 0 ? 3 : 5)) < 0.2, qPrintable(QString::number(seconds)));
        // The entry point map leads a seek into the clip's middle.
        QVERIFY(bd_select_playlist(disc.get(), playlist));
        const int64_t landed = bd_seek_time(disc.get(), 2 * 90000);
        QVERIFY2(landed > 0, "no entry point found");
    }
    const BlurayDisc library = ReadBlurayDisc(bluray_);
    QCOMPARE(library.titles.size(), 2);
    QCOMPARE(library.titles.first().fileName, QString("00001.mpls"));
}

void TestPlayerDisc::dvdTitlesPlayWithTheFullProtocol()
{
    const QImage before = area_->Grab();
    for (const int title : {1, 2}) {
        // The area is black again, so the last title's picture cannot pass for this one's.
        QTRY_VERIFY2_WITH_TIMEOUT(VideoArea::ChangedPercent(before, area_->Grab()) == 0,
                                  "the area still shows a picture", 15000);
        EngineDriver engine;
        const QString trace = StartTraced(engine, {QString("dvd://%1").arg(title), "-dvd-device", dvd_});
        const int video = engine.WaitForLine("VIDEO:", 15000);
        QVERIFY2(video >= 0, qPrintable(engine.StandardError()));
        const int playing = engine.WaitForLine(QString("Playing dvd://%1.").arg(title), 0);
        const int audio = engine.WaitForLine(", -aid 0", 0);
        QVERIFY(playing >= 0 && playing < audio && audio < video);
        QVERIFY2(engine.Lines()[audio].contains(", -alang en"), qPrintable(engine.Lines()[audio]));
        QVERIFY(engine.Lines()[video].contains("352x288"));
        QTRY_VERIFY2_WITH_TIMEOUT(VideoArea::ChangedPercent(before, area_->Grab()) > 30,
                                  "no picture in the window", 15000);
        const double length = engine.Ask("get_time_length", "ANS_LENGTH");
        QVERIFY2(qAbs(length - (title == 1 ? 3 : 5)) < 0.5, qPrintable(QString::number(length)));
        if (title == 2) {
            engine.Send("seek 3 2");
            const double position = engine.AskUntil("pausing_keep get_time_pos", "ANS_TIME_POSITION",
                                                    [](double s) { return s >= 2.5; });
            QVERIFY2(position >= 2.5 && position <= 4.2, qPrintable(QString::number(position)));
            engine.Send("pause");
            QVERIFY(WaitForTrace(trace, "pause=yes", 3000));
            const double held = engine.Ask("pausing_keep get_time_pos", "ANS_TIME_POSITION");
            // A fixed wait on purpose: the position must NOT move while paused.
            QTest::qWait(500);
            QCOMPARE(engine.Ask("pausing_keep get_time_pos", "ANS_TIME_POSITION"), held);
            engine.Send("pausing_keep screenshot 0");
            const int shot = engine.WaitForLine("*** screenshot '", 5000);
            QVERIFY(shot >= 0);
            // The frame as shown: 288 lines, widened to the title's display aspect.
            const QSize frame = QImageReader(engine.Lines()[shot].mid(16).section('\'', 0, 0)).size();
            QVERIFY2(frame.height() == 288 && frame.width() >= 352, qPrintable(QString::number(frame.width())));
            engine.Send("pausing_keep balance 1 1");
            QTRY_VERIFY_WITH_TIMEOUT(LastTraceValue(trace, "af").contains("c1=1*c0+1*c1"), 3000);
            QCOMPARE(LastTraceValue(trace, "pause"), QString("yes"));
        }
        engine.Send("q");
        QVERIFY(engine.WaitForLine("Exiting... (Quit)", 3000) >= 0);
        QVERIFY(engine.WaitForExit(3000));
    }
}

void TestPlayerDisc::dvdEndsWithEndOfFile()
{
    EngineDriver engine;
    StartTraced(engine, {"dvd://1", "-dvd-device", dvd_});
    QVERIFY(engine.WaitForLine("VIDEO:", 15000) >= 0);
    QVERIFY(engine.WaitForLine("Exiting... (End of file)", 8000) >= 0);
    QVERIFY(engine.WaitForExit(3000));
    QCOMPARE(engine.Process().exitCode(), 0);
}

void TestPlayerDisc::blurayMainTitleIsTheDiscLibrarysMain()
{
    const BlurayDisc library = ReadBlurayDisc(bluray_);
    const BlurayTitle* main = FindBlurayTitle(library, 0);
    QVERIFY(main);
    EngineDriver engine;
    StartTraced(engine, {"br://0", "-bluray-device", bluray_});
    QVERIFY2(engine.WaitForLine("VIDEO:", 15000) >= 0, qPrintable(engine.StandardError()));
    const double length = engine.Ask("get_time_length", "ANS_LENGTH");
    QVERIFY2(qAbs(length - main->durationSeconds) < 0.6, qPrintable(QString::number(length)));
    QVERIFY(engine.WaitForLine(", -alang eng", 0) >= 0);
    QVERIFY(engine.WaitForLine(", -alang jpn", 0) >= 0);
    engine.Send("q");
    QVERIFY(engine.WaitForExit(5000));
}

void TestPlayerDisc::blurayTitleNumbersAreTheDiscLibrarys()
{
    const BlurayDisc library = ReadBlurayDisc(bluray_);
    QVERIFY(library.titles.size() == 2);
    for (const BlurayTitle& title : library.titles) {
        EngineDriver engine;
        const QString trace = StartTraced(engine, {QString("br://%1").arg(title.number), "-bluray-device", bluray_});
        QVERIFY2(engine.WaitForLine("VIDEO:", 15000) >= 0, qPrintable(engine.StandardError()));
        const double length = engine.Ask("get_time_length", "ANS_LENGTH");
        QVERIFY2(qAbs(length - title.durationSeconds) < 0.6,
                 qPrintable(QString("title %1: %2 s").arg(title.number).arg(length)));
        // The streams are the playlist's, in its order, as the disc page lists them.
        const bool extra = title.fileName == "00000.mpls";
        QVERIFY(engine.WaitForLine(", -aid 0, -alang " + QString(extra ? "spa" : "eng"), 0) >= 0);
        QVERIFY(engine.WaitForLine(", -aid 1, -alang " + QString(extra ? "fra" : "jpn"), 0) >= 0);
        QCOMPARE(engine.WaitForLine(", -aid 2", 0), -1);
        if (extra) {
            engine.Send("switch_audio 0");  // the clip's third stream, libmpv's track 3
            QTRY_COMPARE_WITH_TIMEOUT(LastTraceValue(trace, "aid"), QString("3"), 3000);
        }
        engine.Send("q");
        QVERIFY(engine.WaitForExit(5000));
    }
}

void TestPlayerDisc::blurayTitleTakesCommands()
{
    const QImage before = area_->Grab();
    EngineDriver engine;
    const QString trace = StartTraced(engine, {"br://0", "-bluray-device", bluray_});
    const int video = engine.WaitForLine("VIDEO:", 15000);
    QVERIFY(video >= 0);
    QVERIFY(engine.WaitForLine(", -aid 1", 0) < video);
    // The title has two audio streams; what libbluray cuts before the
    // in-time is no third.
    QCOMPARE(engine.WaitForLine(", -aid 2", 0), -1);
    QTRY_VERIFY2_WITH_TIMEOUT(VideoArea::ChangedPercent(before, area_->Grab()) > 30,
                              "no picture in the window", 15000);
    engine.Send("switch_audio 1");
    QTRY_COMPARE_WITH_TIMEOUT(LastTraceValue(trace, "aid"), QString("2"), 3000);
    engine.Send("pausing_keep switch_audio -2");
    QTRY_COMPARE_WITH_TIMEOUT(LastTraceValue(trace, "aid"), QString("no"), 3000);
    engine.Send("volume 35 2");
    QTRY_COMPARE_WITH_TIMEOUT(LastTraceValue(trace, "volume"), QString("35.000000"), 3000);
    engine.Send("seek 3 2");
    const double position = engine.AskUntil("get_time_pos", "ANS_TIME_POSITION",
                                            [](double s) { return s >= 2.5; });
    QVERIFY2(position >= 2.5 && position <= 4.4, qPrintable(QString::number(position)));
    engine.Send("pause");
    QVERIFY(WaitForTrace(trace, "pause=yes", 3000));
    engine.Send("pausing_keep screenshot 0");
    const int shot = engine.WaitForLine("*** screenshot '", 5000);
    QVERIFY(shot >= 0);
    QVERIFY(QFileInfo::exists(engine.Lines()[shot].mid(16).section('\'', 0, 0)));
    engine.CloseInput();
    QVERIFY(engine.WaitForExit(3000));
}

void TestPlayerDisc::blurayTitleEndsWithEndOfFile()
{
    EngineDriver engine;
    StartTraced(engine, {"br://0", "-bluray-device", bluray_});
    QVERIFY(engine.WaitForLine("VIDEO:", 15000) >= 0);
    engine.Send("seek 4 2");
    QVERIFY(engine.WaitForLine("Exiting... (End of file)", 8000) >= 0);
    QVERIFY(engine.WaitForExit(3000));
    QCOMPARE(engine.Process().exitCode(), 0);
}

void TestPlayerDisc::missingTitlesFailClearly()
{
    const QList<QStringList> media = {
        {"br://7", "-bluray-device", bluray_},
        {"br://0", "-bluray-device", work_.filePath("nothing")},
        {"dvd://9", "-dvd-device", dvd_},
    };
    for (const QStringList& medium : media) {
        EngineDriver engine;
        engine.Start(PlayerProgram(), Arguments() + medium);
        QVERIFY(engine.WaitForExit(15000));
        QVERIFY2(engine.Process().exitCode() != 0, qPrintable(medium.join(' ')));
        QVERIFY2(engine.StandardError().contains("Player: cannot"), qPrintable(engine.StandardError()));
        QVERIFY(engine.WaitForLine("(End of file)", 0) >= 0);
    }
}

// A Blu-ray libbluray takes for AACS-encrypted (it has the unit key file),
// and a DVD whose packets are marked scrambled, as CSS leaves them without
// a library to descramble them: the engine names the encryption before it
// gives up.
void TestPlayerDisc::encryptedDiscsAreNamed()
{
    const QString aacs = bluray_ + "/AACS";
    QVERIFY(QDir().mkpath(aacs));
    QFile unitKey(aacs + "/Unit_Key_RO.inf");
    QVERIFY(unitKey.open(QIODevice::WriteOnly));
    unitKey.write(QByteArray(64, '\0'));
    unitKey.close();

    const QString css = work_.filePath("scrambled DVD");
    QVERIFY(QDir().mkpath(css + "/VIDEO_TS"));
    for (const QString& name : QDir(dvd_ + "/VIDEO_TS").entryList(QDir::Files)) {
        QFile in(dvd_ + "/VIDEO_TS/" + name);
        QVERIFY(in.open(QIODevice::ReadOnly));
        QByteArray bytes = in.readAll();
        if (name.endsWith(".VOB")) {
            for (qsizetype at = 0; at + 2048 <= bytes.size(); at += 2048) {
                const QByteArray sector = bytes.mid(at, 24);
                const auto id = quint8(sector[17]);
                if (sector.startsWith(QByteArray("\0\0\1\xba", 4)) && sector.mid(14, 3) == QByteArray("\0\0\1", 3)
                    && (id == 0xE0 || id == 0xBD || id == 0xC0))
                    bytes[at + 0x14] = char(bytes[at + 0x14] | 0x10);
            }
        }
        QFile out(css + "/VIDEO_TS/" + name);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    }

    const QList<QPair<QStringList, QString>> discs = {
        {{"br://0", "-bluray-device", bluray_}, "Encrypted disc (AACS)"},
        {{"dvd://1", "-dvd-device", css}, "Encrypted disc (CSS)"},
    };
    for (const auto& [medium, named] : discs) {
        EngineDriver engine;
        engine.Start(PlayerProgram(), Arguments() + medium);
        QVERIFY(engine.WaitForExit(15000));
        QVERIFY(engine.Process().exitCode() != 0);
        const int said = engine.WaitForLine(named, 0);
        QVERIFY2(said >= 0, qPrintable(engine.StandardError()));
        QVERIFY(engine.WaitForLine("Exiting... (End of file)", 0, said + 1) > said);
    }
    QDir(aacs).removeRecursively();
}

QTEST_MAIN(TestPlayerDisc)
#include "tst_player_disc.moc"
