// Tools > Preferences through the real window: how the dialog looks in every
// language, what its buttons do, what OK and Cancel leave behind in the
// window and in "OutputPath.txt", the snapshots that follow, and the dialog
// asked for twice.
#include "SnapshotFixture.h"

#include "lang/CLanguageMgr.h"
#include "lang/IniDocument.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QLineEdit>

class TestPreferencesWindow : public SnapshotFixture
{
    Q_OBJECT
private slots:
    void init() { startCase(); }
    void cleanup();

    void looksAsDrawnInEveryLanguage();
    void dragsAndMinimisesButNeverClosesOnARightClick();
    void formatIsJPGUntilTheDialogIsConfirmed();
    void chosenFormatsNameAndWriteTheSnapshots();
    void browseAndOkSendSnapshotsThere();
    void browseThenOpenThenCancelSavesNothing();
    void okThatCannotSaveIsToldAndNotTakenOver();
    void askedForTwiceItOpensOnce();

private:
    static QComboBox *formatBox(CProcessUI &d) { return d.findChild<QComboBox *>("formatBox"); }
    static QLineEdit *folderField(CProcessUI &d) { return d.findChild<QLineEdit *>("folderField"); }
    static QPushButton *button(CProcessUI &d, const char *name) { return d.findChild<QPushButton *>(name); }
    static void click(CProcessUI &d, const char *name) { QTest::mouseClick(button(d, name), Qt::LeftButton); }
    QByteArray outputPath() const
    {
        QFile file(data() + "OutputPath.txt");
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
    }
};

void TestPreferencesWindow::cleanup()
{
    QDesktopServices::unsetUrlHandler("file");
    CLanguageMgr::Instance().SetLanguage("English");
    endSnapshotCase();
}

void TestPreferencesWindow::looksAsDrawnInEveryLanguage()
{
    CLanguageMgr &languages = CLanguageMgr::Instance();
    for (const LANGUAGE_INFO &language : languages.GetLanguages()) {
        languages.SetLanguage(language.name);
        const IniDocument file = IniDocument::fromFile(languages.languageFilePath());
        withPreferences([&](CProcessUI &dialog) {
            auto text = [&](const char *key) { return file.value("MainWnd", key); };
            QVERIFY(!text("Browse").isEmpty() && !text("RegisterTitle").isEmpty());
            QCOMPARE(dialog.windowTitle(), text("RegisterTitle"));
            QCOMPARE(dialog.findChild<QLabel *>("titleText")->text(), text("Preferences"));
            QStringList shown;
            for (QWidget *widget : dialog.findChildren<QWidget *>())
                shown << widget->property("text").toString();
            for (const char *key : {"Browse", "Open", "OK", "Cancel"})
                QVERIFY2(shown.contains(text(key)), key);
            QVERIFY(shown.contains(text("SnapshotFolder") + ": "));
            QVERIFY(shown.contains(text("SnapshotFormat") + ": "));
            QCOMPARE(dialog.size(), QSize(680, 250));
            QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
            QCOMPARE(dialog.windowFlags() & (Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
                     Qt::Window | Qt::FramelessWindowHint);
            QVERIFY(!dialog.parent());
            QCOMPARE(button(dialog, "browseButton")->geometry(), QRect(440, 10, 80, 25));
            QCOMPARE(button(dialog, "okButton")->geometry(), QRect(220, 0, 80, 30));
            QCOMPARE(button(dialog, "closeButton")->pos(), QPoint(650, 0));
            QVERIFY(!folderField(dialog)->isEnabled());
            QCOMPARE(formatBox(dialog)->count(), 3);
            QCOMPARE(formatBox(dialog)->itemText(2), QString("BMP"));
        });
    }
}

void TestPreferencesWindow::dragsAndMinimisesButNeverClosesOnARightClick()
{
    withPreferences([](CProcessUI &dialog) {
        const QPoint start = dialog.frameGeometry().topLeft();
        auto send = [&dialog](QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
            QMouseEvent event(type, at, dialog.mapToGlobal(at), button, held, Qt::NoModifier);
            QApplication::sendEvent(&dialog, &event);
        };
        send(QEvent::MouseButtonPress, {300, 200}, Qt::RightButton, Qt::RightButton);
        QVERIFY(dialog.isVisible());
        send(QEvent::MouseButtonPress, {300, 200}, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseMove, {330, 210}, Qt::NoButton, Qt::LeftButton | Qt::RightButton);
        QCOMPARE(dialog.frameGeometry().topLeft(), start);
        send(QEvent::MouseMove, {330, 210}, Qt::NoButton, Qt::LeftButton);
        QTRY_COMPARE(dialog.frameGeometry().topLeft(), start + QPoint(30, 10));
        click(dialog, "minButton");
        QTRY_VERIFY(dialog.windowState() & Qt::WindowMinimized);
        QVERIFY(dialog.isVisible());
    });
}

void TestPreferencesWindow::formatIsJPGUntilTheDialogIsConfirmed()
{
    DRUI &w = *m_window;
    QCOMPARE(DRUITestAccess::snapshotFormat(w), QString("JPG"));
    withPreferences([](CProcessUI &dialog) {
        QCOMPARE(folderField(dialog)->text(), documents());
        QCOMPARE(formatBox(dialog)->currentText(), QString("JPEG"));
        formatBox(dialog)->setCurrentIndex(2);
        click(dialog, "cancelButton");
    });
    withPreferences([](CProcessUI &dialog) {
        formatBox(dialog)->setCurrentIndex(1);
        click(dialog, "closeButton");
    });
    QCOMPARE(DRUITestAccess::snapshotFormat(w), QString("JPG"));
    QCOMPARE(DRUITestAccess::formatIndex(w), 0);
    QCOMPARE(outputPath(), QByteArray("(none)"));
    // OK without a change writes the documents folder, exactly, and makes nothing.
    withPreferences([](CProcessUI &dialog) { click(dialog, "okButton"); });
    QCOMPARE(DRUITestAccess::snapshotFormat(w), QString("JPEG"));
    QCOMPARE(outputPath(), documents().toUtf8());
    QVERIFY(!QFileInfo::exists(documents()));
}

void TestPreferencesWindow::chosenFormatsNameAndWriteTheSnapshots()
{
    play({"on screenshot 0: " + announce(data() + "shot0001.png")});
    const struct {
        int index;
        const char *extension;
        QByteArray magic;
    } choices[] = {{1, ".PNG", "\x89PNG"}, {2, ".BMP", "BM"}, {0, ".JPEG", "\xff\xd8\xff"}};
    int saved = 0;
    for (const auto &choice : choices) {
        withPreferences([&choice](CProcessUI &dialog) {
            formatBox(dialog)->setCurrentIndex(choice.index);
            click(dialog, "okButton");
        });
        // The dialog shows the window's choice the next time.
        withPreferences([&choice](CProcessUI &dialog) {
            QCOMPARE(formatBox(dialog)->currentIndex(), choice.index);
            click(dialog, "cancelButton");
        });
        putShot("shot0001.png");
        pressSnapshotKey();
        ++saved;
        QTRY_COMPARE(snapshotsIn(documents()).size(), saved);
        const QStringList named = snapshotsIn(documents()).filter(QRegularExpression(
            QRegularExpression::escape(choice.extension) + "$"));
        QCOMPARE(named.size(), 1);
        checkSnapshot(documents() + named.first(), choice.magic);
    }
}

void TestPreferencesWindow::browseAndOkSendSnapshotsThere()
{
    const QString picked = m_dir.filePath("picked");
    withPreferences([picked](CProcessUI &dialog) {
        QWidget *askedBy = nullptr;
        dialog.setFolderChooser([&](QWidget *parent) {
            askedBy = parent;
            return picked;
        });
        click(dialog, "browseButton");
        QCOMPARE(askedBy, &dialog);
        QCOMPARE(folderField(dialog)->text(), picked + "/");
        click(dialog, "okButton");
    });
    QCOMPARE(outputPath(), (picked + "/").toUtf8());
    play({"on screenshot 0: " + announce(data() + "shot0001.png")});
    putShot("shot0001.png");
    pressSnapshotKey();
    QTRY_COMPARE(snapshotsIn(picked).size(), 1);
    withPreferences([picked](CProcessUI &dialog) {
        QCOMPARE(folderField(dialog)->text(), picked + "/");
        // A cancelled chooser changes nothing.
        dialog.setFolderChooser([](QWidget *) { return QString(); });
        click(dialog, "browseButton");
        QCOMPARE(folderField(dialog)->text(), picked + "/");
    });
}

void TestPreferencesWindow::browseThenOpenThenCancelSavesNothing()
{
    QDesktopServices::setUrlHandler("file", this, "openedInFileManager");
    setOutputPath("/kept/as/it/was/");
    const QString other = m_dir.filePath("other/not yet");
    withPreferences([&](CProcessUI &dialog) {
        dialog.setFolderChooser([other](QWidget *) { return other; });
        click(dialog, "browseButton");
        // Open shows the folder picked, made first, though it is not saved.
        click(dialog, "openButton");
        QVERIFY(QFileInfo(other).isDir());
        QCOMPARE(m_opened, QList<QUrl>{QUrl::fromLocalFile(other + "/")});
        formatBox(dialog)->setCurrentIndex(1);
        click(dialog, "cancelButton");
    });
    QCOMPARE(outputPath(), QByteArray("/kept/as/it/was/"));
    QCOMPARE(DRUITestAccess::snapshotFormat(*m_window), QString("JPG"));
}

void TestPreferencesWindow::okThatCannotSaveIsToldAndNotTakenOver()
{
    const QByteArray home = qgetenv("XDG_DATA_HOME");
    withPreferences([this](CProcessUI &dialog) {
        formatBox(dialog)->setCurrentIndex(1);
        // Nobody, not even root, creates files under /proc.
        qputenv("XDG_DATA_HOME", "/proc");
        click(dialog, "okButton");
        QCOMPARE(m_notices, QStringList{Text("Messages/MSG0302").arg("/proc/Vantorel/OutputPath.txt")});
        QVERIFY(dialog.isVisible());
        click(dialog, "cancelButton");
    });
    qputenv("XDG_DATA_HOME", home);
    QCOMPARE(DRUITestAccess::snapshotFormat(*m_window), QString("JPG"));
    QCOMPARE(outputPath(), QByteArray("(none)"));
}

void TestPreferencesWindow::askedForTwiceItOpensOnce()
{
    DRUI &w = *m_window;
    withPreferences([&w](CProcessUI &dialog) {
        dialog.showMinimized();
        // The menu cannot be reached past the dialog; its slot can.
        QAction *again = nullptr;
        for (QAction *action : DRUITestAccess::toolsMenu(w)->actions())
            if (action->data().toString() == "Preferences")
                again = action;
        QVERIFY(QMetaObject::invokeMethod(&w, "BDToolMenu", Q_ARG(QAction *, again)));
        QCOMPARE(openDialogs().size(), 1);
        QTRY_VERIFY(!(dialog.windowState() & Qt::WindowMinimized));
        formatBox(dialog)->setCurrentIndex(1);
        click(dialog, "okButton");
    });
    QCOMPARE(DRUITestAccess::snapshotFormat(w), QString("PNG"));
    withPreferences([](CProcessUI &dialog) { click(dialog, "cancelButton"); });
}

int main(int argc, char *argv[])
{
    return RunSnapshotTests<TestPreferencesWindow>(argc, argv);
}

#include "tst_preferences_window.moc"
