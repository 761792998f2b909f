#include "PlayerHarness.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPalette>
#include <QPixmap>
#include <QScreen>
#include <QTest>

VideoArea::VideoArea() : widget_(std::make_unique<QWidget>())
{
    widget_->setAttribute(Qt::WA_NativeWindow);
    QPalette palette = widget_->palette();
    palette.setColor(QPalette::Window, Qt::black);
    widget_->setPalette(palette);
    widget_->setAutoFillBackground(true);
    widget_->setGeometry(40, 40, 320, 240);
    widget_->show();
    // Settled once the screen shows the black fill: only then is a grab a
    // fair "before" picture.
    QImage black(widget_->size(), QImage::Format_RGB32);
    black.fill(Qt::black);
    ready_ = QTest::qWaitForWindowExposed(widget_.get(), 15000)
             && QTest::qWaitFor([this, &black] {
                    const QImage shown = Grab();
                    return shown.size() == black.size() && ChangedPercent(black, shown) == 0;
                }, 15000);
}

qulonglong VideoArea::WindowId() const { return static_cast<qulonglong>(widget_->winId()); }

QImage VideoArea::Grab() const
{
    QCoreApplication::processEvents();
    const QPoint origin = widget_->mapToGlobal(QPoint(0, 0));
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, origin.x(), origin.y(), widget_->width(), widget_->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

int VideoArea::ChangedPercent(const QImage& before, const QImage& after)
{
    if (before.size() != after.size() || before.isNull())
        return 0;
    qint64 changed = 0;
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x) {
            const QRgb a = before.pixel(x, y), b = after.pixel(x, y);
            if (qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) + qAbs(qBlue(a) - qBlue(b)) > 48)
                ++changed;
        }
    return static_cast<int>(changed * 100 / (qint64(before.width()) * before.height()));
}

QString PlayerProgram() { return QStringLiteral(VANTOREL_PROGRAM_DIR "/Player"); }

QString ToolProgram() { return QStringLiteral(VANTOREL_PROGRAM_DIR "/tool"); }

QStringList EngineArguments(qulonglong windowId, const QString& screenshotFolder)
{
    return {"-demuxer", "lavf", "-ni", "-slave", "-quiet",
            "-wid", QString::number(windowId),
            "-vo", "direct3d", "-lavdopts", "threads=4",
            "-vf", "screenshot=" + screenshotFolder,
            "-af", "channels=6,volume=5.1:1"};
}
