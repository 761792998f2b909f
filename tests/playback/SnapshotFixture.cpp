#include "SnapshotFixture.h"

#include <QApplication>
#include <QImage>
#include <QScopeGuard>
#include <QStandardPaths>

void SnapshotFixture::play(const QStringList &rules)
{
    script(rules);
    DRUI &w = *m_window;
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    openFiles({makeFile("film.mkv")});
    QTRY_COMPARE(DRUITestAccess::state(w), PlaybackState::Playing);
    QTRY_VERIFY(entry(DRUITestAccess::toolsMenu(w), "Snapshot")->isEnabled());
}

void SnapshotFixture::pressSnapshotKey()
{
    // A notice or the dialog may have had the focus: keys go to the active window.
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QTest::keyClick(m_window.get(), Qt::Key_S);
}

void SnapshotFixture::endSnapshotCase()
{
    // The data folder lives as long as the process: each case starts afresh.
    if (m_window) {
        QDir folder(data());
        for (const QString &name : folder.entryList({"shot*", "*.png", "OutputPath.txt"}, QDir::Files))
            folder.remove(name);
    }
    QDir(documents()).removeRecursively();
    m_opened.clear();
    endCase();
}

QString SnapshotFixture::documents()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + "/Vantorel/";
}

QString SnapshotFixture::putShot(const QString &name)
{
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(qRgb(255, 0, 0));
    for (int y = 24; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            image.setPixel(x, y, x < 32 ? qRgb(0, 0, 255) : qRgb(0, 255, 0));
    const QString path = data() + name;
    [&] { QVERIFY(image.save(path, "PNG")); }();
    return path;
}

QByteArray SnapshotFixture::announce(const QString &path) const
{
    return "*** screenshot '" + path.toUtf8() + "' ***";
}

void SnapshotFixture::setOutputPath(const QByteArray &content)
{
    QFile file(data() + "OutputPath.txt");
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), content.size());
}

QStringList SnapshotFixture::snapshotsIn(const QString &folder)
{
    return QDir(folder).entryList({"Snapshot-*"}, QDir::Files, QDir::Name);
}

void SnapshotFixture::checkSnapshot(const QString &path, const QByteArray &magic)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
    QCOMPARE(file.read(magic.size()), magic);
    file.close();
    const QImage image(path);
    QCOMPARE(image.size(), QSize(64, 48));
    QVERIFY(qRed(image.pixel(10, 10)) > 200 && qGreen(image.pixel(10, 10)) < 60);
    QVERIFY(qBlue(image.pixel(10, 40)) > 200 && qGreen(image.pixel(50, 40)) > 200);
}

QList<CProcessUI *> SnapshotFixture::openDialogs()
{
    QList<CProcessUI *> dialogs;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (auto *dialog = qobject_cast<CProcessUI *>(widget); dialog && dialog->isVisible())
            dialogs << dialog;
    return dialogs;
}

void SnapshotFixture::withPreferences(const std::function<void(CProcessUI &)> &act)
{
    bool acted = false;
    QTimer::singleShot(0, this, [&] {
        // Whatever act did, or a failed check, the dialog must not outlive it.
        const auto closeAll = qScopeGuard([] {
            for (CProcessUI *dialog : openDialogs())
                dialog->btnCloseSlot();
        });
        QTRY_COMPARE(openDialogs().size(), 1);
        CProcessUI *dialog = openDialogs().first();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        act(*dialog);
        acted = true;
    });
    entry(DRUITestAccess::toolsMenu(*m_window), "Preferences")->trigger();
    QVERIFY(acted);
    QVERIFY(openDialogs().isEmpty());
}
