// The scripted stand-in engine, run as the window's tests run it.
#include "EngineDriver.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestScriptedEngine : public QObject {
    Q_OBJECT

private slots:
    void printsScriptedLinesAndRecordsInput();
    void endsOnQuitOrClosedInput();

private:
    QString Program() const { return QCoreApplication::applicationDirPath() + "/scripted-engine"; }
};

void TestScriptedEngine::printsScriptedLinesAndRecordsInput()
{
    QTemporaryDir work;
    const QString script = work.filePath("script.txt"), log = work.filePath("log.txt");
    QFile file(script);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("start: Playing /m/a.mkv.\n"
               "start: [lavf] stream 1: audio (aac), -aid 0\n"
               "after 150: VIDEO:  [H264]  320x240\n"
               "on get_time_length: ANS_LENGTH=12.00\n"
               "on screenshot: *** screenshot '/tmp/shot0001.png' ***\n"
               "exit-after q\n");
    file.close();
    EngineDriver engine;
    engine.Start(Program(), {"-slave", "a b.mkv"},
                 {"SCRIPTED_ENGINE_SCRIPT=" + script, "SCRIPTED_ENGINE_LOG=" + log});
    QVERIFY(engine.WaitForLine("-aid 0", 3000) == 1);
    QVERIFY(engine.WaitForLine("VIDEO:", 3000) == 2);
    QVERIFY(engine.LineTimes()[2] >= 140);
    QCOMPARE(engine.Ask("get_time_length", "ANS_LENGTH"), 12.0);
    engine.Send("screenshot 0");
    QVERIFY(engine.WaitForLine("*** screenshot '/tmp/shot0001.png' ***", 3000) >= 0);
    engine.Send("q");
    QVERIFY(engine.WaitForExit(3000));
    QFile recorded(log);
    QVERIFY(recorded.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(recorded.readAll()),
             QString("arg: -slave\narg: a b.mkv\nin: get_time_length\nin: screenshot 0\nin: q\n"));
}

void TestScriptedEngine::endsOnQuitOrClosedInput()
{
    EngineDriver quitting;
    quitting.Start(Program(), {});
    quitting.Send("pause");
    quitting.Send("q");
    QVERIFY(quitting.WaitForExit(3000));
    EngineDriver closed;
    closed.Start(Program(), {});
    closed.CloseInput();
    QVERIFY(closed.WaitForExit(3000));
    QCOMPARE(closed.Process().exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestScriptedEngine)
#include "tst_scripted_engine.moc"
