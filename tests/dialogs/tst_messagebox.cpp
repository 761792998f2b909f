#include "dialogs/CMessageBox.h"
#include "lang/CLanguageMgr.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

class TestMessageBox : public QObject
{
    Q_OBJECT
private slots:
    void looksAsBuilt();
    void okAnswersZero();
    void rightClickClosesWithoutOk();
    void dragsOnlyWithTheLeftButtonAlone();
    void longMessageWrapsInsideTheBox();
    void sitsAThirdIntoTheMainWindow();
    void closingItNeverEndsTheProgram();

private:
    static void whenShown(CMessageBox &box, std::function<void()> act)
    {
        QTimer::singleShot(0, &box, [&box, act] {
            QVERIFY(QTest::qWaitForWindowExposed(&box));
            act();
        });
    }
};

void TestMessageBox::looksAsBuilt()
{
    CMessageBox box;
    box.ShowInformation(Text("Messages/MSG0102"));
    QCOMPARE(box.size(), QSize(400, 180));
    QCOMPARE(box.minimumSize(), box.maximumSize());
    QVERIFY(box.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(!(box.windowFlags() & Qt::WindowStaysOnTopHint));
    QCOMPARE(box.windowTitle(), Text("MainWnd/FreeTitle"));
    QCOMPARE(box.findChild<QLabel *>("titleText")->text(), "  " + Text("Messages/MSG0403"));
    auto *ok = box.findChild<QPushButton *>("okButton");
    QCOMPARE(ok->text(), Text("MainWnd/OK"));
    QCOMPARE(ok->geometry(), QRect(160, 8, 80, 25));
    QCOMPARE(box.messageLabel()->text(), Text("Messages/MSG0102"));
    QCOMPARE(box.answer(), 1);
}

void TestMessageBox::okAnswersZero()
{
    CMessageBox box;
    box.ShowInformation("Hello");
    whenShown(box, [&box] {
        QTest::mouseClick(box.findChild<QPushButton *>("okButton"), Qt::LeftButton);
    });
    QCOMPARE(box.exec(), int(QDialog::Rejected));
    QCOMPARE(box.answer(), 0);
}

void TestMessageBox::rightClickClosesWithoutOk()
{
    CMessageBox box;
    box.ShowInformation("Hello");
    whenShown(box, [&box] { QTest::mouseClick(box.messageLabel(), Qt::RightButton); });
    QCOMPARE(box.exec(), int(QDialog::Rejected));
    QCOMPARE(box.answer(), 1);
    QVERIFY(!box.isVisible());
}

void TestMessageBox::dragsOnlyWithTheLeftButtonAlone()
{
    CMessageBox box;
    box.ShowInformation("Drag me");
    box.move(100, 100);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    const QPoint start = box.frameGeometry().topLeft();
    auto send = [&box](QEvent::Type type, QPoint local, Qt::MouseButton button,
                       Qt::MouseButtons held) {
        QMouseEvent event(type, local, box.mapToGlobal(local), button, held, Qt::NoModifier);
        QApplication::sendEvent(&box, &event);
    };
    send(QEvent::MouseButtonPress, QPoint(50, 50), Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, QPoint(90, 70), Qt::NoButton, Qt::LeftButton | Qt::MiddleButton);
    QCOMPARE(box.frameGeometry().topLeft(), start);
    send(QEvent::MouseMove, QPoint(90, 70), Qt::NoButton, Qt::LeftButton);
    QTRY_COMPARE(box.frameGeometry().topLeft(), start + QPoint(40, 20));
}

void TestMessageBox::longMessageWrapsInsideTheBox()
{
    CMessageBox box;
    box.ShowInformation(QString("A long message that must wrap. ").repeated(6));
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QVERIFY(box.messageLabel()->wordWrap());
    QCOMPARE(box.size(), QSize(400, 180));
    QVERIFY(box.messageLabel()->geometry().right() <= 400);
}

void TestMessageBox::sitsAThirdIntoTheMainWindow()
{
    QMainWindow main;
    main.setGeometry(90, 60, 900, 600);
    QCOMPARE(CMessageBox::Placement(&main), QRect(main.pos() + QPoint(300, 200), QSize(400, 180)));
}

void TestMessageBox::closingItNeverEndsTheProgram()
{
    QApplication::setQuitOnLastWindowClosed(false);
    QSignalSpy quitting(qApp, &QCoreApplication::aboutToQuit);
    {
        CMessageBox box;
        box.ShowInformation("Bye");
        whenShown(box, [&box] { box.btnSlotOK(); });
        box.exec();
    }
    // A fixed wait on purpose: lets any quit the closing might have posted
    // arrive, which must NOT happen.
    QTest::qWait(50);
    QCOMPARE(quitting.count(), 0);
}

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    QApplication app(argc, argv);
    TestMessageBox test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_messagebox.moc"
