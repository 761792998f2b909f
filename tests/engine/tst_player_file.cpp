// The real Player on a generated clip, driven over its pipes as the main
// window drives it, drawing into a real X window.
#include "EngineDriver.h"
#include "PlayerHarness.h"
#include "TestMedia.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class TestPlayerFile : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void opensStreamsInOrderAndDrawsIntoWindow();
    void answersLengthAndPosition();
    void seekLandsNearTarget();
    void pauseHoldsUntilCommandWithoutPrefix();
    void volumeCommandsSetPercent();
    void trackCommandsChooseStreams();
    void balanceCommandsPanTheSound();
    void screenshotIsWrittenAndAnnounced();
    void quitEndsWithQuitLine();
    void endOfMediumIsAnnounced();
    void closedInputEndsEngine();
    void badLinesAreIgnored();
    void missingFileFailsClearly();
    void badCommandLineIsRefused();
    void standbyWaitsForItsCommandLine();

private:
    // Starts Player on the clip and waits for its video to start.
    void StartOnClip(EngineDriver& engine, const QStringList& environment = {});

    QTemporaryDir work_;
    QString clip_;
    QString shots_;
    QString trace_;
    std::unique_ptr<VideoArea> area_;
};

void TestPlayerFile::initTestCase()
{
    QVERIFY(work_.isValid());
    clip_ = work_.filePath("clip with blanks.mkv");
    QVERIFY2(TestMedia::MakeClip(clip_, 6), "ffmpeg could not make the clip");
    shots_ = work_.filePath("data/");
    QDir().mkpath(shots_);
    area_ = std::make_unique<VideoArea>();
    QVERIFY2(area_->Ready(), "the video area never showed on the screen");
}

void TestPlayerFile::StartOnClip(EngineDriver& engine, const QStringList& environment)
{
    trace_ = work_.filePath(QString("trace-%1.txt").arg(QTest::currentTestFunction()));
    QFile::remove(trace_);
    engine.Start(PlayerProgram(), EngineArguments(area_->WindowId(), shots_) << clip_,
                 QStringList{"PLAYER_TRACE=" + trace_} + environment);
    QVERIFY2(engine.WaitForLine("VIDEO:", 10000) >= 0, qPrintable(engine.StandardError()));
}

void TestPlayerFile::opensStreamsInOrderAndDrawsIntoWindow()
{
    const QImage before = area_->Grab();
    EngineDriver engine;
    // As in a Wayland session: the window id is still an X11 (XWayland) one.
    StartOnClip(engine, {"WAYLAND_DISPLAY=wayland-vantorel-test"});
    QTRY_VERIFY2_WITH_TIMEOUT(VideoArea::ChangedPercent(before, area_->Grab()) > 30,
                              "the picture did not reach the window", 15000);
    QTRY_VERIFY_WITH_TIMEOUT(QStringList({"gpu", "x11"}).contains(LastTraceValue(trace_, "current-vo")), 15000);

    const QStringList lines = engine.Lines();
    const int playing = engine.WaitForLine("Playing " + clip_ + ".", 0);
    const int audio0 = engine.WaitForLine(", -aid 0", 0);
    const int audio1 = engine.WaitForLine(", -aid 1", 0);
    const int subtitle0 = engine.WaitForLine(", -sid 0", 0);
    const int video = engine.WaitForLine("VIDEO:", 0);
    QVERIFY(playing >= 0);
    QVERIFY(playing < audio0 && audio0 < audio1 && audio1 < subtitle0 && subtitle0 < video);
    QVERIFY(lines[audio0].contains(", -alang eng"));
    QVERIFY(lines[audio1].contains(", -alang fra"));
    QVERIFY(lines[subtitle0].contains("-slang deu"));
    QCOMPARE(engine.WaitForLine(", -aid 2", 0), -1);
    QVERIFY2(QRegularExpression("^VIDEO:  \\[H264\\]  320x240").match(lines[video]).hasMatch(),
             qPrintable(lines[video]));
    engine.Send("q");
    QVERIFY(engine.WaitForExit(5000));
}

void TestPlayerFile::answersLengthAndPosition()
{
    EngineDriver engine;
    StartOnClip(engine);
    const int from = engine.Lines().size();
    engine.Send("get_time_length");
    const int at = engine.WaitForLine("ANS_LENGTH=", 3000, from);
    QVERIFY(at >= 0);
    QVERIFY2(QRegularExpression("^ANS_LENGTH=6\\.0\\d$").match(engine.Lines()[at]).hasMatch(),
             qPrintable(engine.Lines()[at]));
    // Play on until the position reaches half a second; it has not run
    // ahead of the clock by then.
    const int positionFrom = engine.Lines().size();
    const double seconds = engine.AskUntil("get_time_pos", "ANS_TIME_POSITION",
                                           [](double s) { return s >= 0.5; });
    int answers = 0;
    for (int i = positionFrom; i < engine.Lines().size(); ++i)
        if (engine.Lines()[i].startsWith("ANS_TIME_POSITION=")) {
            ++answers;
            QVERIFY2(QRegularExpression("^ANS_TIME_POSITION=\\d+\\.\\d$").match(engine.Lines()[i]).hasMatch(),
                     qPrintable(engine.Lines()[i]));
        }
    QVERIFY(answers > 0);
    QVERIFY2(seconds >= 0.5 && seconds <= 2.5, qPrintable(QString::number(seconds)));
    engine.Send("q");
    QVERIFY(engine.WaitForExit(5000));
}

void TestPlayerFile::seekLandsNearTarget()
{
    EngineDriver engine;
    StartOnClip(engine);
    engine.Send("seek 4 2");
    const double position = engine.AskUntil("pausing_keep get_time_pos", "ANS_TIME_POSITION",
                                            [](double s) { return s >= 3.8; });
    QVERIFY2(position >= 3.8 && position <= 4.9, qPrintable(QString::number(position)));
    // A target before the start means the start, not a count from the end.
    engine.Send("seek -3 2");
    // Landed once the position has gone back.
    const double start = engine.AskUntil("get_time_pos", "ANS_TIME_POSITION",
                                         [position](double s) { return s < position; });
    QVERIFY2(start >= 0 && start <= 1.0, qPrintable(QString::number(start)));
    engine.Send("q");
    QVERIFY(engine.WaitForExit(5000));
}

void TestPlayerFile::pauseHoldsUntilCommandWithoutPrefix()
{
    EngineDriver engine;
    StartOnClip(engine);
    engine.Send("pause");
    QVERIFY(WaitForTrace(trace_, "pause=yes", 3000));
    const double first = engine.Ask("pausing_keep get_time_pos", "ANS_TIME_POSITION");
    // A fixed wait on purpose: the position must NOT move while paused.
    QTest::qWait(800);
    engine.Send("pausing_keep volume 40 100");
    engine.Send("pausing_keep balance -1 1");
    engine.Send("pausing_keep switch_audio 1");
    engine.Send("pausing_keep sub_demux 0");
    const double second = engine.Ask("pausing_keep get_time_pos", "ANS_TIME_POSITION");
    QVERIFY(first >= 0);
    QCOMPARE(second, first);
    QVERIFY(WaitForTrace(trace_, "volume=40", 3000));
    QCOMPARE(LastTraceValue(trace_, "pause"), QString("yes"));

    // The poll the main window sends carries no prefix and so resumes.
    engine.Ask("get_time_length", "ANS_LENGTH");
    QVERIFY(WaitForTrace(trace_, "pause=no", 3000));
    const double third = engine.AskUntil("pausing_keep get_time_pos", "ANS_TIME_POSITION",
                                         [second](double s) { return s > second + 0.3; });
    QVERIFY2(third > second + 0.3, qPrintable(QString("%1 -> %2").arg(second).arg(third)));

    // "pause" toggles: a second one resumes.
    engine.Send("pause");
    QTRY_COMPARE_WITH_TIMEOUT(LastTraceValue(trace_, "pause"), QString("yes"), 3000);
    engine.Send("pause");
    QTRY_COMPARE_WITH_TIMEOUT(LastTraceValue(trace_, "pause"), QString("no"), 3000);
    engine.Send("q");
    QVERIFY(engine.WaitForExit(5000));
}

void TestPlayerFile::volumeCommandsSetPercent()
{
    EngineDriver engine;
    StartOnClip(engine);
    const struct { const char* command; const char* volume; } steps[] = {
        {"volume 30 2", "30.000000"}, {"volume 0 100", "0.000000"},
        {"volume 50 100", "50.000000"}, {"pausing_keep volume 100 100", "100.000000"},
        {"pausing_keep volume 140 100", "100.000000"}, {"volume 20 2", "20.000000"},
    };
    for (const auto& step : steps) {
        engine.Send(step.command);
        QTRY_COMPARE_WITH_TIMEOUT(LastTraceValue(trace_, "volume"), QString(step.volume), 3000);
    }
    engine.Send("q");
    QVERIFY(engine.WaitForExit(5000));
}

void TestPlayerFile::trackCommandsChooseStreams()
{
    EngineDriver engine;
    StartOnClip(engine);
    const struct { const char* command; const char* name; const char* value; } steps[] = {
        {"switch_audio 1", "aid", "2"},  {"pausing_keep switch_audio 0", "aid", "1"},
        {"switch_audio -2", "aid", "no"}, {"switch_audio 1", "aid", "2"},
        {"sub_demux 0", "sid", "1"},      {"pausing_keep sub_demux -1", "sid", "no"},
        {"sub_demux 0", "sid", "1"},
    };
    for (const auto& step : steps) {
        engine.Send(step.command);
        QTRY_COMPARE_WITH_TIMEOUT(LastTraceValue(trace_, step.name), QString(step.value), 3000);
    }
    // A stream the medium does not have changes nothing.
    engine.Send("switch_audio 5");
    QTRY_VERIFY_WITH_TIMEOUT(engine.StandardError().contains("no audio stream 5"), 3000);
    QCOMPARE(LastTraceValue(trace_, "aid"), QString("2"));
    engine.Send("q");
    QVERIFY(engine.WaitForExit(5000));
}

void TestPlayerFile::balanceCommandsPanTheSound()
{
    EngineDriver engine;
    StartOnClip(engine);
    const QString gain = "@gain:lavfi=";
    engine.Send("pausing_keep balance -1 1");
    QTRY_VERIFY_WITH_TIMEOUT(LastTraceValue(trace_, "af").contains("pan=stereo|c0=1*c0+1*c1|c1=0*c0+0*c1"), 3000);
    QVERIFY(LastTraceValue(trace_, "af").contains(gain));
    engine.Send("pausing_keep balance 1 1");
    QTRY_VERIFY_WITH_TIMEOUT(LastTraceValue(trace_, "af").contains("pan=stereo|c0=0*c0+0*c1|c1=1*c0+1*c1"), 3000);
    engine.Send("pausing_keep balance 0 1");
    QTRY_VERIFY_WITH_TIMEOUT(!LastTraceValue(trace_, "af").contains("@balance"), 3000);
    QVERIFY(LastTraceValue(trace_, "af").contains("volume=5.1dB,asoftclip"));
    engine.Send("q");
    QVERIFY(engine.WaitForExit(5000));
}

void TestPlayerFile::screenshotIsWrittenAndAnnounced()
{
    QDir(shots_).removeRecursively();
    EngineDriver engine;
    StartOnClip(engine);
    engine.Send("pause");
    // A short fixed look on purpose: pausing alone must NOT write a screenshot.
    const int at = engine.WaitForLine("*** screenshot '", 100);
    QCOMPARE(at, -1);
    engine.Send("pausing_keep screenshot 0");
    const int announced = engine.WaitForLine("*** screenshot '", 5000);
    QVERIFY2(announced >= 0, qPrintable(engine.StandardError()));
    const QString line = engine.Lines()[announced];
    QVERIFY(line.startsWith("*** screenshot '") && line.endsWith("' ***"));
    const QString path = line.mid(16).section('\'', 0, 0);
    QCOMPARE(QFileInfo(path).absolutePath() + "/", QDir::cleanPath(shots_) + "/");
    QImageReader image(path);
    QCOMPARE(image.size(), QSize(320, 240));
    // The screenshot does not end the pause it was taken in.
    QCOMPARE(LastTraceValue(trace_, "pause"), QString("yes"));
    engine.Send("screenshot 0");
    const int second = engine.WaitForLine("*** screenshot '", 5000, announced + 1);
    QVERIFY(second > announced);
    QVERIFY(engine.Lines()[second] != line);
    engine.Send("q");
    QVERIFY(engine.WaitForExit(5000));
}

void TestPlayerFile::quitEndsWithQuitLine()
{
    EngineDriver engine;
    StartOnClip(engine);
    engine.Send("q");
    QVERIFY(engine.WaitForLine("Exiting... (Quit)", 3000) >= 0);
    QVERIFY(engine.WaitForExit(3000));
    QCOMPARE(engine.Process().exitCode(), 0);
    QCOMPARE(engine.WaitForLine("(End of file)", 0), -1);
}

void TestPlayerFile::endOfMediumIsAnnounced()
{
    EngineDriver engine;
    StartOnClip(engine);
    engine.Send("seek 5 2");
    QVERIFY(engine.WaitForLine("Exiting... (End of file)", 6000) >= 0);
    QVERIFY(engine.WaitForExit(3000));
    QCOMPARE(engine.Process().exitCode(), 0);
}

void TestPlayerFile::closedInputEndsEngine()
{
    EngineDriver engine;
    StartOnClip(engine);
    QElapsedTimer timer;
    timer.start();
    engine.CloseInput();
    QVERIFY(engine.WaitForExit(3000));
    QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
}

void TestPlayerFile::badLinesAreIgnored()
{
    EngineDriver engine;
    StartOnClip(engine);
    for (const char* line : {"frobnicate 3", "seek", "seek x 2", "volume", "switch_audio one",
                             "pausing_keep", "screenshot 1", "", "   "})
        engine.Send(line);
    engine.Send(QByteArray(10000, 'x'));
    QVERIFY(engine.Ask("get_time_length", "ANS_LENGTH") > 5.9);
    const QString errors = engine.StandardError();
    QVERIFY(errors.contains("unknown command 'frobnicate'"));
    QVERIFY(errors.contains("bad arguments for 'seek'"));
    QVERIFY(errors.contains("bad arguments for 'screenshot'"));
    QVERIFY(errors.contains("overlong"));
    engine.Send("q");
    QVERIFY(engine.WaitForExit(5000));
}

void TestPlayerFile::missingFileFailsClearly()
{
    EngineDriver engine;
    const QString missing = work_.filePath("no such clip.mkv");
    engine.Start(PlayerProgram(), EngineArguments(area_->WindowId(), shots_) << missing);
    QVERIFY(engine.WaitForExit(10000));
    QVERIFY(engine.Process().exitCode() != 0);
    QVERIFY2(engine.StandardError().contains("cannot play " + missing), qPrintable(engine.StandardError()));
    // The window waiting on the other end learns that nothing will play.
    QVERIFY(engine.WaitForLine("(End of file)", 0) >= 0);
    QCOMPARE(engine.WaitForLine("Playing", 0), -1);
}

void TestPlayerFile::badCommandLineIsRefused()
{
    const QList<QStringList> bad = {
        {}, {"-wid"}, {"-wid", "x", clip_}, {"-frob", clip_}, {"-af", "echo=1", clip_},
        {"dvd://0", "-dvd-device", work_.path()}, {"br://1", clip_}, {clip_, clip_},
    };
    for (const QStringList& arguments : bad) {
        EngineDriver engine;
        engine.Start(PlayerProgram(), arguments);
        QVERIFY(engine.WaitForExit(5000));
        QVERIFY2(engine.Process().exitCode() == 2, qPrintable(arguments.join(' ')));
        QVERIFY(engine.StandardError().contains("usage:"));
    }
}

// Started ahead of need, the engine plays what the line on its input says,
// ends quietly when the input ends first, and refuses a garbled line.
void TestPlayerFile::standbyWaitsForItsCommandLine()
{
    {
        EngineDriver unused;
        unused.Start(PlayerProgram(), {"-standby"});
        unused.CloseInput();
        QVERIFY(unused.WaitForExit(5000));
        QCOMPARE(unused.Process().exitCode(), 0);
        QVERIFY(unused.Lines().isEmpty());
    }
    {
        EngineDriver garbled;
        garbled.Start(PlayerProgram(), {"-standby"});
        garbled.Send("-wid %4x");
        QVERIFY(garbled.WaitForExit(5000));
        QCOMPARE(garbled.Process().exitCode(), 2);
    }
    EngineDriver engine;
    engine.Start(PlayerProgram(), {"-standby"});
    const QStringList arguments = EngineArguments(area_->WindowId(), shots_) << clip_;
    QByteArrayList line;
    for (const QString& argument : arguments)
        line << QFile::encodeName(argument).toPercentEncoding();
    // The first command rides in the same write as the command line.
    engine.Send(line.join(' ') + "\nget_time_length");
    QVERIFY2(engine.WaitForLine("VIDEO:", 10000) >= 0, qPrintable(engine.StandardError()));
    QVERIFY(engine.WaitForLine("ANS_LENGTH=6", 5000) >= 0);
    engine.Send("q");
    QVERIFY(engine.WaitForExit(5000));
}

QTEST_MAIN(TestPlayerFile)
#include "tst_player_file.moc"
