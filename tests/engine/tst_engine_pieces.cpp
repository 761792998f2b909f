// The widget-free pieces of Player and of the scripted engine.
#include "AudioChain.h"
#include "InputLines.h"
#include "LaunchOptions.h"
#include "PlaybackControl.h"
#include "ProtocolLines.h"
#include "SlaveCommand.h"
#include "EngineScript.h"

#include <QTest>

#include <sstream>

namespace {

// Writes down every call the command table makes.
class RecordingControl final : public PlaybackControl {
public:
    std::string calls;
    void EndPause() override { calls += "end-pause;"; }
    void TogglePause() override { calls += "toggle;"; }
    void Quit(int status) override { calls += "quit " + std::to_string(status) + ";"; }
    void Seek(double value, SeekKind kind) override
    {
        std::ostringstream text;
        text << "seek " << value << " " << static_cast<int>(kind) << ";";
        calls += text.str();
    }
    void SetVolume(double value, bool absolute) override
    {
        calls += "volume " + std::to_string(static_cast<int>(value)) + (absolute ? " abs;" : " rel;");
    }
    void SetBalance(double value, bool absolute) override
    {
        calls += "balance " + std::to_string(static_cast<int>(value)) + (absolute ? " abs;" : " rel;");
    }
    void SelectAudio(int index) override { calls += "audio " + std::to_string(index) + ";"; }
    void SelectSubtitle(int index) override { calls += "sub " + std::to_string(index) + ";"; }
    void AnswerLength() override { calls += "length;"; }
    void AnswerPosition() override { calls += "position;"; }
    void Screenshot() override { calls += "shot;"; }
    void SetScreenshotFormat(int format) override { calls += "shot-format " + std::to_string(format) + ";"; }
};

std::string Run(const char* line, CommandOutcome* outcome = nullptr)
{
    RecordingControl control;
    const CommandResult result = RunCommand(SplitCommand(line), control);
    if (outcome)
        *outcome = result.outcome;
    return control.calls;
}

std::vector<std::string> Words(const QStringList& list)
{
    std::vector<std::string> words;
    for (const QString& word : list)
        words.push_back(word.toStdString());
    return words;
}

} // namespace

class TestEnginePieces : public QObject {
    Q_OBJECT

private slots:
    void commandTableFollowsPauseRule();
    void commandTableRefusesWhatItDoesNotKnow();
    void fullCommandLineIsUnderstood();
    void discCommandLines();
    void audioChainBecomesFilters();
    void outputLinesHaveTheClassicForms();
    void inputIsCutIntoLines();
    void engineScriptRules();
};

void TestEnginePieces::commandTableFollowsPauseRule()
{
    QCOMPARE(Run("seek 12 2"), std::string("end-pause;seek 12 2;"));
    QCOMPARE(Run("pausing_keep seek 12 2"), std::string("seek 12 2;"));
    QCOMPARE(Run("seek 5"), std::string("end-pause;seek 5 0;"));
    QCOMPARE(Run("pause"), std::string("toggle;"));
    QCOMPARE(Run("q"), std::string("quit 0;"));
    QCOMPARE(Run("volume 50 2"), std::string("end-pause;volume 50 abs;"));
    QCOMPARE(Run("pausing_keep volume 70 100"), std::string("volume 70 abs;"));
    QCOMPARE(Run("volume 5"), std::string("end-pause;volume 5 rel;"));
    QCOMPARE(Run("pausing_keep balance -1 1"), std::string("balance -1 abs;"));
    QCOMPARE(Run("switch_audio 1"), std::string("end-pause;audio 1;"));
    QCOMPARE(Run("pausing_keep switch_audio -2"), std::string("audio -2;"));
    QCOMPARE(Run("pausing_keep sub_demux -1"), std::string("sub -1;"));
    QCOMPARE(Run("get_time_length"), std::string("end-pause;length;"));
    QCOMPARE(Run("get_time_pos"), std::string("end-pause;position;"));
    QCOMPARE(Run("screenshot 0"), std::string("end-pause;shot;"));
    QCOMPARE(Run("screenshot_format 1"), std::string("shot-format 1;"));
    QCOMPARE(Run("  get_time_pos  \r"), std::string("end-pause;position;"));
}

void TestEnginePieces::commandTableRefusesWhatItDoesNotKnow()
{
    const struct { const char* line; CommandOutcome outcome; } cases[] = {
        {"", CommandOutcome::Blank},          {"frob", CommandOutcome::Unknown},
        {"seek", CommandOutcome::Malformed},  {"seek 1 2 3", CommandOutcome::Malformed},
        {"seek 1x 2", CommandOutcome::Malformed}, {"seek nan 2", CommandOutcome::Malformed},
        {"switch_audio 1.5", CommandOutcome::Malformed}, {"sub_demux -3", CommandOutcome::Malformed},
        {"screenshot 1", CommandOutcome::Malformed}, {"screenshot_format 2", CommandOutcome::Malformed}, {"pausing_keep", CommandOutcome::Malformed},
        {"get_time_pos 1", CommandOutcome::Malformed}, {"PAUSE", CommandOutcome::Unknown},
        {"switch_audio 1e300", CommandOutcome::Malformed}, {"sub_demux 4294967296", CommandOutcome::Malformed},
        {"q 1e12", CommandOutcome::Malformed}, {"pausing_keep switch_audio 3e9", CommandOutcome::Malformed},
    };
    for (const auto& c : cases) {
        CommandOutcome outcome = CommandOutcome::Done;
        QCOMPARE(Run(c.line, &outcome), std::string());   // nothing runs, not even the pause rule
        QVERIFY2(outcome == c.outcome, c.line);
    }
}

void TestEnginePieces::fullCommandLineIsUnderstood()
{
    const LaunchParse parse = ParseLaunchOptions(Words(
        {"-demuxer", "lavf", "-ni", "-slave", "-quiet", "-wid", "4194311", "-vo", "direct3d",
         "-lavdopts", "threads=4", "-vf", "screenshot=/home/u/.local/share/Vantorel/", "-af",
         "channels=6,volume=5.1:1", "/media/a b,c.mkv"}));
    QVERIFY2(parse.options.has_value(), parse.error.c_str());
    const LaunchOptions& o = *parse.options;
    QCOMPARE(o.demuxer, std::string("lavf"));
    QCOMPARE(o.windowId, 4194311LL);
    QCOMPARE(o.videoOutputs, std::string("gpu,x11"));
    QCOMPARE(o.decoderThreads, 4);
    QCOMPARE(o.screenshotFolder, std::string("/home/u/.local/share/Vantorel/"));
    QCOMPARE(o.audio.maxChannels, 6);
    QCOMPARE(o.audio.gainDb, 5.1);
    QVERIFY(o.audio.softClip);
    QVERIFY(o.medium.kind == MediumKind::File);
    QCOMPARE(o.medium.path, std::string("/media/a b,c.mkv"));
}

void TestEnginePieces::discCommandLines()
{
    const LaunchParse dvd = ParseLaunchOptions(Words({"-quiet", "dvd://1", "-dvd-device", "/m/DVD"}));
    QVERIFY(dvd.options && dvd.options->medium.kind == MediumKind::Dvd);
    QCOMPARE(dvd.options->medium.title, 1);
    QCOMPARE(dvd.options->medium.path, std::string("/m/DVD"));
    const LaunchParse bd = ParseLaunchOptions(Words({"br://3", "-bluray-device", "/m/BD"}));
    QVERIFY(bd.options && bd.options->medium.kind == MediumKind::Bluray);
    QCOMPARE(bd.options->medium.title, 3);
    QCOMPARE(bd.options->medium.name, std::string("br://3"));
    const LaunchParse main = ParseLaunchOptions(Words({"br://0", "-bluray-device", "/m/BD"}));
    QVERIFY(main.options && main.options->medium.title == 0);
    for (const QStringList& bad : QList<QStringList>{
             {"dvd://0", "-dvd-device", "/d"}, {"dvd://1", "-bluray-device", "/d"},
             {"br://1"}, {"br://-1", "-bluray-device", "/d"}, {"br://x", "-bluray-device", "/d"},
             {"a.mkv", "-dvd-device", "/d"}, {"-dvd-device"},
             {"-quiet", "--", "a.mkv", "-vo", "x11"}})
        QVERIFY2(!ParseLaunchOptions(Words(bad)).options, qPrintable(bad.join(' ')));
    // After "--" a name that looks like an option is the medium.
    const LaunchParse dashed = ParseLaunchOptions(Words({"-quiet", "--", "-vo"}));
    QVERIFY(dashed.options && dashed.options->medium.kind == MediumKind::File);
    QCOMPARE(dashed.options->medium.path, std::string("-vo"));
    const LaunchParse late = ParseLaunchOptions(Words({"dvd://1", "-dvd-device", "/d", "--"}));
    QVERIFY(late.options && late.options->medium.path == "/d");
}

void TestEnginePieces::audioChainBecomesFilters()
{
    std::string error;
    const auto chain = ParseAudioChain("channels=6,volume=5.1:1", error);
    QVERIFY(chain.has_value());
    QCOMPARE(ChannelLayouts(*chain), std::string("1,2,3,4,5,6"));
    QCOMPARE(AudioFilters(*chain, 0), std::string("@gain:lavfi=[volume=5.1dB,asoftclip]"));
    QCOMPARE(AudioFilters(*chain, -1),
             std::string("@balance:lavfi=[pan=stereo|c0=1*c0+1*c1|c1=0*c0+0*c1],"
                         "@gain:lavfi=[volume=5.1dB,asoftclip]"));
    QCOMPARE(AudioFilters(AudioChain{}, 0.5),
             std::string("@balance:lavfi=[pan=stereo|c0=0.5*c0+0*c1|c1=0.5*c0+1*c1]"));
    QCOMPARE(AudioFilters(AudioChain{}, 0), std::string());
    const auto quiet = ParseAudioChain("volume=-3", error);
    QVERIFY(quiet && !quiet->softClip && quiet->gainDb == -3);
    for (const char* bad : {"echo", "channels=0", "channels=x", "volume=99", "volume=1:2:3"})
        QVERIFY2(!ParseAudioChain(bad, error), bad);
}

void TestEnginePieces::outputLinesHaveTheClassicForms()
{
    using namespace ProtocolLines;
    QCOMPARE(Playing("/a/b.mkv"), std::string("Playing /a/b.mkv."));
    QCOMPARE(Length(5423), std::string("ANS_LENGTH=5423.00"));
    QCOMPARE(Position(61.234), std::string("ANS_TIME_POSITION=61.2"));
    QCOMPARE(Position(-0.01), std::string("ANS_TIME_POSITION=0.0"));
    QCOMPARE(Screenshot("/d/shot0001.png"), std::string("*** screenshot '/d/shot0001.png' ***"));
    QCOMPARE(Video("h264", 320, 240, 25), std::string("VIDEO:  [H264]  320x240  24bpp  25.000 fps"));
    QCOMPARE(EndOfFile(), std::string("Exiting... (End of file)"));
    QCOMPARE(Quit(), std::string("Exiting... (Quit)"));
    const auto stream = [](StreamInfo::Kind kind, int index, const char* codec, const char* language) {
        StreamInfo info;
        info.kind = kind;
        info.containerIndex = index;
        info.codec = codec;
        info.language = language;
        return info;
    };
    const std::vector<StreamInfo> streams = {
        stream(StreamInfo::Kind::Video, 0, "h264", ""),
        stream(StreamInfo::Kind::Subtitle, 3, "subrip", "deu"),
        stream(StreamInfo::Kind::Audio, 1, "aac", "eng"),
        stream(StreamInfo::Kind::Audio, 2, "ac3", "Playing, -sid"),
    };
    const std::vector<std::string> lines = StreamLines(streams);
    QCOMPARE(lines.size(), std::size_t(3));
    QCOMPARE(lines[0], std::string("[lavf] stream 1: audio (aac), -aid 0, -alang eng"));
    // Text from the medium cannot pass for a protocol word.
    QCOMPARE(lines[1], std::string("[lavf] stream 2: audio (ac3), -aid 1, -alang Playing-sid"));
    QCOMPARE(lines[2], std::string("[lavf] stream 3: subtitle (subrip), -sid 0, -slang deu"));
}

void TestEnginePieces::inputIsCutIntoLines()
{
    InputLines input;
    QVERIFY(input.Feed("get_ti").empty());
    const std::vector<std::string> lines = input.Feed("me_pos\r\nq\n");
    QCOMPARE(lines, (std::vector<std::string>{"get_time_pos", "q"}));
    QVERIFY(input.Feed(std::string(InputLines::longestLine + 10, 'x')).empty());
    QCOMPARE(input.Feed("still\npause\n"), (std::vector<std::string>{"pause"}));
    QVERIFY(input.DroppedLongLine());
    QVERIFY(!input.DroppedLongLine());
}

void TestEnginePieces::engineScriptRules()
{
    const EngineScript script = ParseEngineScript(
        "# a comment\n"
        "start: Playing x.\n"
        "after 900: Exiting... (End of file)\n"
        "after 100: VIDEO:  [H264]  320x240\n"
        "on get_time_pos: ANS_TIME_POSITION=1.0\n"
        "on pausing_keep switch_audio: \n"
        "exit-after q\n"
        "exit-status 3\n"
        "nonsense\n");
    QCOMPARE(script.startLines, std::vector<std::string>{"Playing x."});
    QCOMPARE(script.timedLines.size(), std::size_t(2));
    QCOMPARE(script.timedLines[0].milliseconds, 100);
    QCOMPARE(script.timedLines[1].line, std::string("Exiting... (End of file)"));
    QCOMPARE(script.replies.size(), std::size_t(2));
    QCOMPARE(script.replies[1].prefix, std::string("pausing_keep switch_audio"));
    QCOMPARE(script.exitPrefixes, std::vector<std::string>{"q"});
    QCOMPARE(script.exitStatus, 3);
    QCOMPARE(script.errors, std::vector<std::string>{"nonsense"});
}

QTEST_APPLESS_MAIN(TestEnginePieces)
#include "tst_engine_pieces.moc"
