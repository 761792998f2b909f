// The video output "-vo direct3d" gets: the GPU output only where a hardware
// renderer is within reach, plain X11 at once otherwise, and in that case no
// OpenGL driver is ever loaded into the engine.
#include "EngineDriver.h"
#include "GraphicsFacts.h"
#include "PlayerHarness.h"
#include "TestMedia.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// Sets an environment variable for one scope, and puts the old value back.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const QByteArray& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedVariable() { had_ ? qputenv(name_, old_) : qunsetenv(name_); }

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

GraphicsFacts Facts(bool hardware, bool software = false, bool remote = false)
{
    GraphicsFacts facts;
    facts.hardwareRenderer = hardware;
    facts.softwareForced = software;
    facts.remoteDisplay = remote;
    return facts;
}

// OpenGL drivers and the compiler behind Mesa's software renderer.
bool LoadsARenderer(qint64 pid)
{
    QFile maps(QString("/proc/%1/maps").arg(pid));
    if (!maps.open(QIODevice::ReadOnly))
        return true;
    const QByteArray mapped = maps.readAll();
    return mapped.contains("_dri.so") || mapped.contains("libLLVM") || mapped.contains("libGLX_mesa")
           || mapped.contains("libEGL_mesa");
}

} // namespace

class TestPlayerOutput : public QObject {
    Q_OBJECT

private slots:
    void outputsFollowTheMachine();
    void factsOfAMachine();
    void displaysNearAndFar_data();
    void displaysNearAndFar();
    void withoutAGpuNoRendererIsLoaded_data();
    void withoutAGpuNoRendererIsLoaded();

private:
    QString Node(const QString& root, const QString& node, const QString& driver);
    QTemporaryDir work_;
};

void TestPlayerOutput::outputsFollowTheMachine()
{
    QCOMPARE(OutputsForThisMachine("gpu,x11", Facts(true)), std::string("gpu,x11"));
    QCOMPARE(OutputsForThisMachine("gpu,x11", Facts(false)), std::string("x11"));
    QCOMPARE(OutputsForThisMachine("gpu,x11", Facts(true, true)), std::string("x11"));
    QCOMPARE(OutputsForThisMachine("gpu,x11", Facts(true, false, true)), std::string("x11"));
    QCOMPARE(OutputsForThisMachine("gpu-next,gpu,xv,x11", Facts(false)), std::string("xv,x11"));
    // A GPU output asked for alone, or last, is what the user wants even in
    // software; others pass untouched.
    QCOMPARE(OutputsForThisMachine("gpu", Facts(false)), std::string("gpu"));
    QCOMPARE(OutputsForThisMachine("x11,gpu", Facts(false)), std::string("x11,gpu"));
    QCOMPARE(OutputsForThisMachine("xv,x11", Facts(false)), std::string("xv,x11"));
    QCOMPARE(OutputsForThisMachine("null", Facts(false)), std::string("null"));
}

// A render node in a fake /dev, with its driver linked as sysfs links it.
QString TestPlayerOutput::Node(const QString& root, const QString& node, const QString& driver)
{
    QDir().mkpath(root + "/dev/dri");
    QFile file(root + "/dev/dri/" + node);
    file.open(QIODevice::WriteOnly);
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    const QString device = root + "/sys/devices/pci0000:00/0000:00:02.0";
    QDir().mkpath(device);
    QDir().mkpath(root + "/sys/bus/pci/drivers/" + driver);
    QFile::link(root + "/sys/bus/pci/drivers/" + driver, device + "/driver");
    QDir().mkpath(root + "/sys/class/drm/" + node);
    QFile::link(device, root + "/sys/class/drm/" + node + "/device");
    return root;
}

void TestPlayerOutput::factsOfAMachine()
{
    const auto hardware = [](const QString& root) {
        return ReadGraphicsFacts(root.toStdString()).hardwareRenderer;
    };
    const QString none = work_.filePath("none");
    QDir().mkpath(none + "/dev");
    QVERIFY(!hardware(none));
    QVERIFY(hardware(Node(work_.filePath("intel"), "renderD128", "i915")));
    QVERIFY(!hardware(Node(work_.filePath("vgem"), "renderD128", "vgem")));
    // A node whose driver cannot be told counts as hardware.
    const QString unknown = work_.filePath("unknown");
    QDir().mkpath(unknown + "/dev/dri");
    QFile node(unknown + "/dev/dri/renderD129");
    QVERIFY(node.open(QIODevice::WriteOnly));
    QVERIFY(hardware(unknown));
    // NVIDIA's device alone.
    const QString nvidia = work_.filePath("nvidia");
    QDir().mkpath(nvidia + "/dev");
    QFile control(nvidia + "/dev/nvidiactl");
    QVERIFY(control.open(QIODevice::WriteOnly));
    QVERIFY(hardware(nvidia));

    for (const char* yes : {"1", "true", "yes", "y"}) {
        const ScopedVariable software("LIBGL_ALWAYS_SOFTWARE", yes);
        QVERIFY(ReadGraphicsFacts(none.toStdString()).softwareForced);
    }
    for (const char* no : {"0", "false", "", "no"}) {
        const ScopedVariable software("LIBGL_ALWAYS_SOFTWARE", no);
        QVERIFY(!ReadGraphicsFacts(none.toStdString()).softwareForced);
    }
}

void TestPlayerOutput::displaysNearAndFar_data()
{
    QTest::addColumn<QByteArray>("display");
    QTest::addColumn<bool>("remote");
    QTest::newRow("local") << QByteArray(":0") << false;
    QTest::newRow("local screen") << QByteArray(":1.0") << false;
    QTest::newRow("unix") << QByteArray("unix:0") << false;
    QTest::newRow("unix protocol") << QByteArray("unix/:0") << false;
    QTest::newRow("socket path") << QByteArray("/tmp/launch-x/org.xquartz:0") << false;
    QTest::newRow("ssh forwarding") << QByteArray("localhost:10.0") << true;
    QTest::newRow("other host") << QByteArray("screen.example:0") << true;
    QTest::newRow("tcp protocol") << QByteArray("tcp/screen:0") << true;
}

void TestPlayerOutput::displaysNearAndFar()
{
    QFETCH(QByteArray, display);
    QFETCH(bool, remote);
    const ScopedVariable variable("DISPLAY", display);
    QCOMPARE(ReadGraphicsFacts(work_.filePath("none").toStdString()).remoteDisplay, remote);
}

void TestPlayerOutput::withoutAGpuNoRendererIsLoaded_data()
{
    QTest::addColumn<QStringList>("environment");
    // Software forced stands for a machine without a GPU anywhere; the plain
    // case is this machine as it is.
    QTest::newRow("software forced") << QStringList{"LIBGL_ALWAYS_SOFTWARE=1"};
    QTest::newRow("this machine") << QStringList();
}

void TestPlayerOutput::withoutAGpuNoRendererIsLoaded()
{
    QFETCH(QStringList, environment);
    const bool gpu = ReadGraphicsFacts().hardwareRenderer && environment.isEmpty();
    const QString clip = work_.filePath("clip.mkv");
    QVERIFY(QFileInfo::exists(clip) || TestMedia::MakeClip(clip, 4));
    VideoArea area;
    QVERIFY2(area.Ready(), "the video area never showed on the screen");
    const QImage before = area.Grab();
    const QString trace = work_.filePath(QString("trace-%1.txt").arg(QTest::currentDataTag()));
    EngineDriver engine;
    engine.Start(PlayerProgram(), EngineArguments(area.WindowId(), work_.filePath("shots/")) << clip,
                 QStringList{"PLAYER_TRACE=" + trace} + environment);
    QVERIFY2(engine.WaitForLine("VIDEO:", 10000) >= 0, qPrintable(engine.StandardError()));
    QTRY_VERIFY2_WITH_TIMEOUT(VideoArea::ChangedPercent(before, area.Grab()) > 30,
                              "the picture did not reach the window", 15000);
    QVERIFY(WaitForTrace(trace, "current-vo=", 5000));
    if (gpu) {
        QVERIFY(QStringList({"gpu", "x11"}).contains(LastTraceValue(trace, "current-vo")));
    } else {
        QCOMPARE(LastTraceValue(trace, "current-vo"), QString("x11"));
        QVERIFY2(!LoadsARenderer(engine.Process().processId()), "an OpenGL driver was loaded");
    }
    engine.Send("q");
    QVERIFY(engine.WaitForExit(5000));
}

QTEST_MAIN(TestPlayerOutput)

#include "tst_player_output.moc"
