// The engine's command line, the commands written to it and the meaning of
// the lines it prints.
#include "engine/EngineArguments.h"
#include "engine/EngineCommand.h"
#include "engine/EngineOutput.h"
#include "ui/PlayListInfo.h"
#include "StandbyLaunch.h"

#include <QDir>
#include <QtTest>

class TestEngineProtocol : public QObject
{
    Q_OBJECT
private slots:
    void argumentsForEachMedium_data();
    void argumentsForEachMedium();
    void pathsStayOneArgument();
    void standbyLineCarriesEveryArgument();
    void commandForms_data();
    void commandForms();
    void classifiesInOrder_data();
    void classifiesInOrder();
    void lengthAnswers_data();
    void lengthAnswers();
    void screenshotAnnouncement();
};

namespace {
const QStringList Common = {"-demuxer", "lavf", "-ni", "-slave", "-quiet", "-wid", "4242",
                            "-vo", "direct3d", "-lavdopts", "threads=4",
                            "-vf", "screenshot=/home/u/.local/share/Vantorel/",
                            "-af", "channels=6,volume=5.1:1"};
}

void TestEngineProtocol::argumentsForEachMedium_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("chosen");
    QTest::addColumn<int>("number"); // -1: none known
    QTest::addColumn<QStringList>("tail");
    QTest::newRow("file") << int(MEDIA_FILE) << false << -1 << QStringList{"/m/a b.mkv"};
    QTest::newRow("file ignores titles") << int(MEDIA_FILE) << true << 3 << QStringList{"/m/a b.mkv"};
    QTest::newRow("dvd") << int(MEDIA_DVD) << false << -1
                         << QStringList{"dvd://1", "-dvd-device", "/m/a b.mkv"};
    QTest::newRow("bluray main") << int(MEDIA_BLURAY) << false << 3
                                 << QStringList{"br://0", "-bluray-device", "/m/a b.mkv"};
    QTest::newRow("bluray title 3") << int(MEDIA_BLURAY) << true << 3
                                    << QStringList{"br://3", "-bluray-device", "/m/a b.mkv"};
    QTest::newRow("bluray unknown title") << int(MEDIA_BLURAY) << true << -1
                                          << QStringList{"/m/a b.mkv"};
}

void TestEngineProtocol::argumentsForEachMedium()
{
    QFETCH(int, kind);
    QFETCH(bool, chosen);
    QFETCH(int, number);
    QFETCH(QStringList, tail);
    EngineLaunch launch;
    launch.windowId = 4242;
    launch.screenshotFolder = "/home/u/.local/share/Vantorel/";
    launch.mediaKind = kind;
    launch.titleChosen = chosen;
    if (number >= 0)
        launch.titleNumber = number;
    launch.mediaPath = "/m/a b.mkv";
    QCOMPARE(BuildEngineArguments(launch), Common + tail);
}

void TestEngineProtocol::pathsStayOneArgument()
{
    EngineLaunch launch;
    launch.mediaPath = QStringLiteral("/m/\"quoted\" 'and' spaced – ünïcødé.mkv");
    const QStringList arguments = BuildEngineArguments(launch);
    QCOMPARE(arguments.size(), Common.size() + 1);
    QCOMPARE(arguments.last(), launch.mediaPath);
    // A relative name, even one that looks like an option, goes as an
    // absolute path.
    launch.mediaPath = QStringLiteral("-vo x11.mkv");
    QCOMPARE(BuildEngineArguments(launch).last(), QDir::current().absoluteFilePath("-vo x11.mkv"));
}

// A warmed-up engine gets the same list as one line: whatever bytes a name
// holds, each argument arrives whole and alone.
void TestEngineProtocol::standbyLineCarriesEveryArgument()
{
    const QString odd = QFile::decodeName("/m/a film\nwith %41 a newline, \xff\xfe bytes and  spaces.mkv");
    const QStringList arguments = Common + QStringList{QString(), odd, QStringLiteral("映画 – ünï.mkv")};
    const QByteArray line = StandbyLaunchLine(arguments);
    QCOMPARE(line.count('\n'), 1);
    QVERIFY(line.endsWith('\n'));
    const auto decoded = DecodeLaunchLine(line.chopped(1).toStdString());
    QVERIFY(decoded);
    QCOMPARE(int(decoded->size()), int(arguments.size()));
    for (int i = 0; i < arguments.size(); ++i)
        QCOMPARE(QByteArray::fromStdString((*decoded)[i]), QFile::encodeName(arguments[i]));
    // A broken escape is refused, never guessed at.
    for (const char *garbled : {"-wid %4", "%zz", "a%", "%g1 b"})
        QVERIFY2(!DecodeLaunchLine(garbled), garbled);
}

void TestEngineProtocol::commandForms_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("argument");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("start volume") << int(EngineCommand::StartVolume) << 50 << QByteArray("volume 50 2\n");
    QTest::newRow("seek") << int(EngineCommand::Seek) << 1800 << QByteArray("seek 1800 2\n");
    QTest::newRow("length") << int(EngineCommand::GetLength) << 0 << QByteArray("get_time_length\n");
    QTest::newRow("position") << int(EngineCommand::GetPosition) << 0 << QByteArray("get_time_pos\n");
    QTest::newRow("pause") << int(EngineCommand::Pause) << 0 << QByteArray("pause\n");
    QTest::newRow("quit") << int(EngineCommand::Quit) << 0 << QByteArray("q\n");
    QTest::newRow("screenshot") << int(EngineCommand::Screenshot) << 0 << QByteArray("screenshot 0\n");
    QTest::newRow("screenshot format") << int(EngineCommand::ScreenshotFormat) << 1
                                       << QByteArray("screenshot_format 1\n");
    QTest::newRow("mute") << int(EngineCommand::Mute) << 0 << QByteArray("volume 0 100\n");
    QTest::newRow("unmute") << int(EngineCommand::Unmute) << 0 << QByteArray("volume 50 100\n");
    QTest::newRow("keep volume") << int(EngineCommand::KeepVolume) << 100
                                 << QByteArray("pausing_keep volume 100 100\n");
    QTest::newRow("audio") << int(EngineCommand::SwitchAudio) << 1 << QByteArray("switch_audio 1\n");
    QTest::newRow("subs") << int(EngineCommand::SubDemux) << 0 << QByteArray("sub_demux 0\n");
    QTest::newRow("keep audio off") << int(EngineCommand::KeepSwitchAudio) << -2
                                    << QByteArray("pausing_keep switch_audio -2\n");
    QTest::newRow("keep subs off") << int(EngineCommand::KeepSubDemux) << -1
                                   << QByteArray("pausing_keep sub_demux -1\n");
    QTest::newRow("left") << int(EngineCommand::KeepBalance) << -1
                          << QByteArray("pausing_keep balance -1 1\n");
}

void TestEngineProtocol::commandForms()
{
    QFETCH(int, command);
    QFETCH(int, argument);
    QFETCH(QByteArray, line);
    QCOMPARE(FormatEngineCommand(EngineCommand(command), argument), line);
}

void TestEngineProtocol::classifiesInOrder_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("kind");
    QTest::newRow("position") << QByteArray("ANS_TIME_POSITION=12.3\n") << int(EngineLineKind::PositionAnswer);
    QTest::newRow("length") << QByteArray("ANS_LENGTH=5423.00\n") << int(EngineLineKind::LengthAnswer);
    QTest::newRow("percent") << QByteArray("ANS_PERCENT_POSITION=4\n") << int(EngineLineKind::PercentAnswer);
    QTest::newRow("playing") << QByteArray("Playing /m/a.mkv.\n") << int(EngineLineKind::Playing);
    QTest::newRow("eof") << QByteArray("Exiting... (End of file)\n") << int(EngineLineKind::EndOfFile);
    QTest::newRow("quit") << QByteArray("Exiting... (Quit)\n") << int(EngineLineKind::Quit);
    QTest::newRow("shot") << QByteArray("*** screenshot '/d/shot0001.png' ***\n") << int(EngineLineKind::Screenshot);
    QTest::newRow("aid") << QByteArray("[lavf] stream 1: audio (aac), -aid 0, -alang eng\n")
                         << int(EngineLineKind::AudioStream);
    QTest::newRow("sid") << QByteArray("[lavf] stream 3: subtitle (srt), -sid 0\n")
                         << int(EngineLineKind::SubtitleStream);
    QTest::newRow("video") << QByteArray("VIDEO:  [h264]  320x240  24bpp  25.000 fps\n")
                           << int(EngineLineKind::VideoStarts);
    // Earlier rules win: a name holding a later rule's text is still "Playing".
    QTest::newRow("playing wins") << QByteArray("Playing VIDEO: (End of file).mkv.\n")
                                  << int(EngineLineKind::Playing);
    QTest::newRow("answers only at start") << QByteArray(" ANS_LENGTH=1\n") << int(EngineLineKind::Other);
    QTest::newRow("other") << QByteArray("A: 1.0 V: 1.0\n") << int(EngineLineKind::Other);
    QTest::newRow("case matters") << QByteArray("playing x\n") << int(EngineLineKind::Other);
    QTest::newRow("binary") << QByteArray("\0\xff\x01VID", 7) << int(EngineLineKind::Other);
}

void TestEngineProtocol::classifiesInOrder()
{
    QFETCH(QByteArray, line);
    QFETCH(int, kind);
    QCOMPARE(int(ClassifyEngineLine(line)), kind);
}

void TestEngineProtocol::lengthAnswers_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<qint64>("seconds");
    QTest::newRow("dvd") << QByteArray("ANS_LENGTH=5423.00\n") << qint64(5423);
    QTest::newRow("truncates") << QByteArray("ANS_LENGTH=59.99\r\n") << qint64(59);
    QTest::newRow("garbage") << QByteArray("ANS_LENGTH=abc\n") << qint64(0);
    QTest::newRow("empty") << QByteArray("ANS_LENGTH=\n") << qint64(0);
    QTest::newRow("negative") << QByteArray("ANS_LENGTH=-5\n") << qint64(0);
    QTest::newRow("huge") << QByteArray("ANS_LENGTH=1e300\n") << qint64(0);
    QTest::newRow("nan") << QByteArray("ANS_LENGTH=nan\n") << qint64(0);
}

void TestEngineProtocol::lengthAnswers()
{
    QFETCH(QByteArray, line);
    QFETCH(qint64, seconds);
    QCOMPARE(LengthAnswerSeconds(line), seconds);
}

void TestEngineProtocol::screenshotAnnouncement()
{
    QCOMPARE(ScreenshotPath("*** screenshot '/d/it''s/shot0001.png' ***\n"),
             QByteArray("/d/it''s/shot0001.png"));
    QVERIFY(ScreenshotPath("*** screenshot ***\n").isEmpty());
    // Without a closing quote the name runs to the line end.
    QCOMPARE(ScreenshotPath("*** screenshot '/d/shot0001.png\r\n"), QByteArray("/d/shot0001.png"));
    QVERIFY(ScreenshotPath("*** screenshot '\n").isEmpty());
}

QTEST_GUILESS_MAIN(TestEngineProtocol)
#include "tst_engine_protocol.moc"
