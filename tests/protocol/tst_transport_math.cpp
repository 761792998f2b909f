#include "engine/TransportMath.h"

#include <QtTest>

class TestTransportMath : public QObject
{
    Q_OBJECT
private slots:
    void chapterSteps_data();
    void chapterSteps();
    void clickToPosition();
    void jumps();
    void playlistNeighbours();
    void clockFollowsTheEngine();
};

void TestTransportMath::clockFollowsTheEngine()
{
    QCOMPARE(PositionAnswerSeconds("ANS_TIME_POSITION=12.3\n").value_or(-1), 12.3);
    QCOMPARE(PositionAnswerSeconds("ANS_TIME_POSITION=0.0").value_or(-1), 0.0);
    for (const char *bad : {"ANS_TIME_POSITION=", "ANS_TIME_POSITION=?", "ANS_TIME_POSITION=nan",
                            "ANS_TIME_POSITION=-4", "ANS_TIME_POSITION=1e300", "ANS_TIME_POSITION"})
        QVERIFY2(!PositionAnswerSeconds(bad), bad);
    int disagreeing = 0;
    // Within a second and a half the clock keeps its own count.
    QCOMPARE(FollowEngineClock(10000, 11.4, disagreeing), qint64(10000));
    QCOMPARE(FollowEngineClock(10000, 8.6, disagreeing), qint64(10000));
    // One answer off (still from before a seek) changes nothing...
    QCOMPARE(FollowEngineClock(60000, 12.0, disagreeing), qint64(60000));
    QCOMPARE(FollowEngineClock(60507, 60.5, disagreeing), qint64(60507));
    // ... two in a row (the engine was held up) set the clock to the engine's.
    QCOMPARE(FollowEngineClock(22000, 11.0, disagreeing), qint64(22000));
    QCOMPARE(FollowEngineClock(22507, 11.5, disagreeing), qint64(11500));
    QCOMPARE(disagreeing, 0);
}

void TestTransportMath::chapterSteps_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("previous"); // -1: stays
    QTest::addColumn<int>("next");
    QTest::addColumn<int>("at"); // the chapter marked as playing
    QTest::newRow("inside chapter 2") << 650 << 300 << 900 << 2;
    QTest::newRow("inside chapter 0") << 200 << -1 << 300 << 0;
    // A chapter starting at the position holds it: Previous from there goes
    // to the chapter before, so pressing it twice after a jump never sticks.
    QTest::newRow("start of chapter 1") << 300 << 0 << 600 << 1;
    QTest::newRow("start of chapter 2") << 600 << 300 << 900 << 2;
    QTest::newRow("last chapter") << 950 << 600 << -1 << 3;
    QTest::newRow("last chapter's whole second") << 900 << 600 << -1 << 3;
    QTest::newRow("at the very start") << 0 << -1 << 300 << 0;
}

void TestTransportMath::chapterSteps()
{
    QFETCH(int, position);
    QFETCH(int, previous);
    QFETCH(int, next);
    QFETCH(int, at);
    const QList<quint32> chapters = {0, 300000, 600000, 900999};
    QCOMPARE(PreviousChapterSecond(chapters, position).value_or(-1), previous);
    QCOMPARE(NextChapterSecond(chapters, position).value_or(-1), next);
    QCOMPARE(ChapterAt(chapters, position), at);
    QVERIFY(!PreviousChapterSecond({}, 100));
    QVERIFY(!NextChapterSecond({}, 100));
    QCOMPARE(ChapterAt({}, 100), -1);
    QCOMPARE(ChapterAt({5000, 9000}, 2), -1);
}

void TestTransportMath::clickToPosition()
{
    QCOMPARE(SliderClickValue(0, 4000, 100, 400), 1000);
    QCOMPARE(SliderClickValue(0, 100, 0, 400), 0);
    QCOMPARE(SliderClickValue(0, 100, 399, 400), 99);
    // Outside the groove or on a slider without width: still a valid value.
    QCOMPARE(SliderClickValue(0, 100, 500, 400), 100);
    QCOMPARE(SliderClickValue(0, 100, -20, 400), 0);
    QCOMPARE(SliderClickValue(0, 100, 10, 0), 0);
}

void TestTransportMath::jumps()
{
    // Known length: from the slider, landing 4 s before the end only past it.
    QCOMPARE(ForwardTarget(5380, 9999, 5400), 5396);
    QCOMPARE(ForwardTarget(100, 0, 5400), 160);
    QCOMPARE(ForwardTarget(5340, 0, 5400), 5400);
    QCOMPARE(ForwardTarget(5341, 0, 5400), 5396);
    QCOMPARE(ForwardTarget(0, 0, 3), 0);
    QCOMPARE(BackwardTarget(30, 500, 5400), 0);
    QCOMPARE(BackwardTarget(100, 0, 5400), 40);
    // Unknown length: from the position, forward without an end.
    QCOMPARE(ForwardTarget(0, 0, 0), 60);
    QCOMPARE(ForwardTarget(0, 7000, 0), 7060);
    QCOMPARE(BackwardTarget(0, 7000, 0), 6940);
    QCOMPARE(BackwardTarget(0, 20, 0), 0);
}

void TestTransportMath::playlistNeighbours()
{
    QList<PLAY_LIST_INFO> list(3);
    list[0].path = "a";
    list[1].path = "b";
    list[2].path = "c";
    QCOMPARE(PlaylistNeighbour(list, "b", -1), 0);
    QCOMPARE(PlaylistNeighbour(list, "b", 1), 2);
    QCOMPARE(PlaylistNeighbour(list, "c", 1), -1);
    QCOMPARE(PlaylistNeighbour(list, "a", -1), -1);
    QCOMPARE(PlaylistNeighbour(list, "x", 1), -1);
    QCOMPARE(PlaylistNeighbour(list.mid(0, 1), "a", 1), -1);
}

QTEST_GUILESS_MAIN(TestTransportMath)
#include "tst_transport_math.moc"
