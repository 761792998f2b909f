#include "ui/WelcomeBackground.h"

#include <QCoreApplication>
#include <QImageReader>
#include <QPointer>
#include <QThreadPool>

namespace {

// Only ever touched on the window's thread.
struct Picture
{
    bool started = false;
    QPixmap pixmap;
    QList<QPointer<QLabel>> waiting;
};

Picture &Shared()
{
    static Picture picture;
    return picture;
}

void Arrived(const QImage &image)
{
    Picture &picture = Shared();
    picture.pixmap = QPixmap::fromImage(image);
    for (const QPointer<QLabel> &label : std::as_const(picture.waiting))
        if (label)
            label->setPixmap(picture.pixmap);
    picture.waiting.clear();
}

} // namespace

void WelcomeBackground::ReadAhead()
{
    Picture &picture = Shared();
    if (picture.started)
        return;
    picture.started = true;
    // The application waits for the pool's tasks before it goes, so the
    // answer always has somewhere to arrive.
    QThreadPool::globalInstance()->start([] {
        QImageReader reader(QStringLiteral(":/image/bg.jpg"));
        reader.setScaledSize(reader.size() / 2);
        const QImage image = reader.read();
        QMetaObject::invokeMethod(QCoreApplication::instance(), [image] { Arrived(image); },
                                  Qt::QueuedConnection);
    });
}

WelcomeBackground::WelcomeBackground(QWidget *parent)
    : QLabel(parent)
{
    setObjectName(QStringLiteral("welcomeBackground"));
    setScaledContents(true);
    // The picture fills the page at whatever size it has and never sizes
    // it: read at 800 x 600, it made the window taller than it was built.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    Picture &picture = Shared();
    if (!picture.pixmap.isNull()) {
        setPixmap(picture.pixmap);
        return;
    }
    picture.waiting << QPointer<QLabel>(this);
}

void WelcomeBackground::showEvent(QShowEvent *event)
{
    ReadAhead();
    QLabel::showEvent(event);
}
