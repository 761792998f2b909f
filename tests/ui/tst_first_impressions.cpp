// What a new user meets first, in all six languages: every text fits its
// widget, a highlighted menu entry can be read, Qt's own texts speak the
// language, the start follows the desktop's language, and the window stays
// on the screen.
#include "dialogs/CMessageBox.h"
#include "lang/CLanguageMgr.h"
#include "ui/DRUI.h"
#include "ui/WindowGeometry.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <map>

class DRUITestAccess
{
public:
    static QMenu *languageMenu(DRUI &w) { return w.languageMenu; }
    static QLabel *infoLabel(DRUI &w) { return w.infoLabel; }
    static void showInfo(DRUI &w, const QString &name) { w.ShowInfo(name); }
    static void doubleSize(DRUI &w) { w.DoubleSize(); }
    static void fitToScreen(DRUI &w) { w.FitToScreen(); }
};

namespace {

const QStringList Languages = {"English", "German", "French", "Spanish", "Japanese", "Chinese"};

double Luminance(QRgb rgb)
{
    const auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(rgb)) + 0.7152 * channel(qGreen(rgb)) + 0.0722 * channel(qBlue(rgb));
}

double Contrast(QRgb a, QRgb b)
{
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The contrast between the text of the highlighted entry and the highlight
// as the open menu shows them: the commonest colour of the entry's label is
// the highlight, the one farthest from it the text.
double HighlightContrast(QMenu *menu, QAction *entry)
{
    menu->popup(QPoint(100, 100));
    // Drawn as the open menu a user looks at: exposed, and active.
    menu->activateWindow();
    if (!QTest::qWaitForWindowExposed(menu) || !QTest::qWaitForWindowActive(menu))
        return 0;
    menu->setActiveAction(entry);
    const QImage drawn = menu->grab().toImage();
    menu->hide();
    // Translucent popups show the page through; without a compositor, black.
    QImage shown(drawn.size(), QImage::Format_ARGB32);
    shown.fill(Qt::black);
    QPainter painter(&shown);
    painter.drawImage(0, 0, drawn);
    painter.end();
    // The entry's own text, left of where a shortcut would be drawn.
    QRect row = menu->actionGeometry(entry).intersected(shown.rect());
    row.setWidth(row.width() / 2);
    std::map<QRgb, int> counts;
    for (int y = row.top(); y <= row.bottom(); ++y)
        for (int x = row.left(); x <= row.right(); ++x)
            ++counts[shown.pixel(x, y) | 0xff000000];
    QRgb background = 0;
    int most = 0;
    for (const auto &[colour, count] : counts)
        if (count > most)
            most = count, background = colour;
    double best = 1;
    for (const auto &[colour, count] : counts)
        best = std::max(best, Contrast(colour, background));
    return best;
}

QAction *FirstEnabled(QMenu *menu)
{
    for (QAction *entry : menu->actions())
        if (entry->isEnabled() && !entry->isSeparator() && !entry->text().isEmpty())
            return entry;
    return nullptr;
}

} // namespace

class TestFirstImpressions : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void everyTextFitsAndEveryHighlightReads_data();
    void everyTextFitsAndEveryHighlightReads();
    void qtTextsFollowTheLanguage();
    void startFollowsTheDesktopUntilTheUserChooses();
    void theWholeWindowStaysOnTheScreen();
    void theVolumeGoesWhereTheClickIs();

private:
    std::unique_ptr<DRUI> m_window;
};

void TestFirstImpressions::init()
{
    m_window = std::make_unique<DRUI>();
}

void TestFirstImpressions::cleanup()
{
    m_window.reset();
    CLanguageMgr::Instance().SetLanguage(QStringLiteral("English"));
}

void TestFirstImpressions::everyTextFitsAndEveryHighlightReads_data()
{
    QTest::addColumn<QString>("language");
    for (const QString &language : Languages)
        QTest::newRow(qPrintable(language)) << language;
}

void TestFirstImpressions::everyTextFitsAndEveryHighlightReads()
{
    QFETCH(QString, language);
    CLanguageMgr::Instance().SetLanguage(language);
    DRUI &w = *m_window;
    w.BuildPages();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    // Buttons: the text beside the icon, inside border and padding.
    for (QPushButton *button : w.findChildren<QPushButton *>()) {
        if (!button->isVisible() || button->text().trimmed().isEmpty())
            continue;
        const int icon = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
        const int frame = button->objectName().startsWith("menuButton") ? 4 : 2 * 3 + 20 + 4;
        const int room = button->width() - icon - frame;
        const int needed = button->fontMetrics().horizontalAdvance(button->text());
        QVERIFY2(needed <= room, qPrintable(QString("%1: \"%2\" needs %3 px of %4")
                                                .arg(button->objectName(), button->text())
                                                .arg(needed).arg(room)));
    }
    // Labels on one line: their text within their contents.
    for (QLabel *label : w.findChildren<QLabel *>()) {
        if (!label->isVisible() || label->text().isEmpty() || label->wordWrap())
            continue;
        const int needed = label->fontMetrics().horizontalAdvance(label->text());
        QVERIFY2(needed <= label->contentsRect().width(),
                 qPrintable(QString("%1: \"%2\"").arg(label->objectName(), label->text())));
    }
    // Every control of the bar says what it does, in the language.
    QWidget *bar = w.findChild<QWidget *>("controlBar");
    for (QWidget *control : bar->findChildren<QWidget *>())
        if (qobject_cast<QPushButton *>(control) || qobject_cast<QSlider *>(control))
            QVERIFY2(!control->toolTip().isEmpty(), qPrintable(control->objectName()));
    QCOMPARE(w.findChild<QPushButton *>("playButton")->toolTip(), Text("MainWnd/Play"));

    // A long, wide file name is cut in the middle and shown whole on hover.
    const QString name = QString::fromUtf8("Ein sehr langer Filmname – 日本語のとても長いタイトル (Director's Cut).mkv");
    DRUITestAccess::showInfo(w, name);
    QLabel *info = DRUITestAccess::infoLabel(w);
    QVERIFY(info->fontMetrics().horizontalAdvance(info->text()) <= info->contentsRect().width() - 20);
    QVERIFY(info->text().contains(QChar(0x2026)));
    QVERIFY(info->text().endsWith(".mkv"));
    QCOMPARE(info->toolTip(), name);
    QVERIFY(!info->wordWrap());

    // Every menu and submenu: the highlighted entry can be read.
    QList<QMenu *> menus;
    for (QPushButton *button : w.findChildren<QPushButton *>())
        if (button->menu())
            menus << button->menu() << button->menu()->findChildren<QMenu *>();
    QVERIFY(menus.size() >= 6);
    for (QMenu *menu : menus) {
        QAction *entry = FirstEnabled(menu);
        if (!entry)
            continue;
        const double contrast = HighlightContrast(menu, entry);
        QVERIFY2(contrast >= 4.5, qPrintable(QString("\"%1\": %2:1").arg(entry->text()).arg(contrast)));
    }

    // The notice: its longest messages wrap inside the box, its button fits.
    CMessageBox box;
    box.ShowInformation(Text("Messages/MSG0104"));
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QLabel *message = box.messageLabel();
    for (const QString &text : {Text("Messages/MSG0104"), Text("Messages/MSG0108").arg("AACS")}) {
        box.ShowInformation(text);
        QVERIFY2(message->heightForWidth(message->contentsRect().width()) <= message->contentsRect().height(),
                 qPrintable(text));
    }
    for (QPushButton *button : box.findChildren<QPushButton *>())
        QVERIFY(button->fontMetrics().horizontalAdvance(button->text()) <= button->contentsRect().width());
}

void TestFirstImpressions::qtTextsFollowTheLanguage()
{
    DRUI &w = *m_window;
    CLanguageMgr::Instance().SetLanguage("German");
    w.BuildPages();
    QDialogButtonBox buttons(QDialogButtonBox::Cancel | QDialogButtonBox::Open);
    QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QString("Abbrechen"));
    QCOMPARE(QKeySequence(Qt::Key_Space).toString(QKeySequence::NativeText), QString("Leertaste"));
    // Switched while the program runs, through the Help menu.
    for (QAction *entry : DRUITestAccess::languageMenu(w)->actions())
        if (entry->data().toString() == "French")
            emit w.findChild<QPushButton *>("menuButton6")->menu()->triggered(entry);
    QTRY_COMPARE(QKeySequence(Qt::Key_Space).toString(QKeySequence::NativeText), QString("Espace"));
    QDialogButtonBox again(QDialogButtonBox::Cancel);
    QCOMPARE(again.button(QDialogButtonBox::Cancel)->text(), QString("Annuler"));
}

void TestFirstImpressions::startFollowsTheDesktopUntilTheUserChooses()
{
    const QList<LANGUAGE_INFO> offered = {{"English", "English", "en"}, {"German", "Deutsch", "de"},
                                          {"Chinese", "简体中文", "zh_CN"}, {"Japanese", "日本語", "ja"}};
    QCOMPARE(DesktopLanguage({"de-AT", "de", "en"}, offered), QString("German"));
    QCOMPARE(DesktopLanguage({"zh-CN"}, offered), QString("Chinese"));
    QCOMPARE(DesktopLanguage({"zh_TW", "ja"}, offered), QString("Chinese"));
    QCOMPARE(DesktopLanguage({"pt-BR", "ja-JP"}, offered), QString("Japanese"));
    QCOMPARE(DesktopLanguage({"pt-BR", "C"}, offered), QString());
    // The program's own files, a user without a choice, a German desktop.
    QTemporaryDir user;
    const QString program = QCoreApplication::applicationDirPath();
    CLanguageMgr german(program, user.path(), {"de-DE", "de"});
    QCOMPARE(german.GetCurrentLanguage(), QString("German"));
    QCOMPARE(german.GetCurrentLocale(), QString("de"));
    // No choice is stored for the desktop's language; the user's choice wins.
    QVERIFY(!QFileInfo::exists(user.filePath("config.ini")));
    german.SetLanguage("Spanish");
    CLanguageMgr chosen(program, user.path(), {"de-DE", "de"});
    QCOMPARE(chosen.GetCurrentLanguage(), QString("Spanish"));
    // A desktop language on offer nowhere: the configured default.
    QTemporaryDir other;
    CLanguageMgr fallback(program, other.path(), {"pt-BR"});
    QCOMPARE(fallback.GetCurrentLanguage(), QString("English"));
}

void TestFirstImpressions::theWholeWindowStaysOnTheScreen()
{
    // With a frame: the inside shrinks and moves so the frame stays on the area.
    const QRect area(0, 0, 1280, 1000);
    const QMargins frame(4, 30, 4, 4);
    const QRect big = InsideOnScreen(area, frame, QSize(2000, 1360), QPoint(300, 200));
    QVERIFY(area.contains(big.marginsAdded(frame)));
    QCOMPARE(big.size(), QSize(1272, 966));
    const QRect small = InsideOnScreen(area, frame, QSize(500, 340), QPoint(300, 200));
    QCOMPARE(small, QRect(300, 200, 500, 340));
    const QRect offside = InsideOnScreen(QRect(1280, 0, 1024, 768), frame, QSize(1000, 680), QPoint(100, 700));
    QVERIFY(QRect(1280, 0, 1024, 768).contains(offside.marginsAdded(frame)));
    // The real window, both ways.
    DRUI &w = *m_window;
    w.BuildPages();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QRect available = w.screen()->availableGeometry();
    DRUITestAccess::doubleSize(w);
    QTRY_VERIFY(available.contains(w.frameGeometry()));
    QVERIFY(w.width() > 1000);
    DRUITestAccess::fitToScreen(w);
    QTRY_VERIFY(available.contains(w.frameGeometry()));
    QTRY_COMPARE(w.frameGeometry().width(), available.width());
}

void TestFirstImpressions::theVolumeGoesWhereTheClickIs()
{
    DRUI &w = *m_window;
    w.BuildPages();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto *volume = w.findChild<QSlider *>("volumeSlider");
    QCOMPARE(volume->value(), 50);
    QTest::mouseClick(volume, Qt::LeftButton, {}, QPoint(volume->width() * 8 / 10, volume->height() / 2));
    QVERIFY2(qAbs(volume->value() - 80) <= 2, qPrintable(QString::number(volume->value())));
    QTest::mouseClick(volume, Qt::LeftButton, {}, QPoint(volume->width() / 10, volume->height() / 2));
    QVERIFY2(qAbs(volume->value() - 10) <= 2, qPrintable(QString::number(volume->value())));
}

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    TestFirstImpressions test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_first_impressions.moc"
