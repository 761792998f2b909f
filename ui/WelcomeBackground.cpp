#include "ui/WelcomeBackground.h"

#include <QImageReader>

WelcomeBackground::WelcomeBackground(QWidget *parent)
    : QLabel(parent)
{
    setObjectName(QStringLiteral("welcomeBackground"));
    setScaledContents(true);
    // The picture fills the page at whatever size it has and never sizes
    // it: read at 800 x 600, it made the window taller than it was built.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
}

void WelcomeBackground::showEvent(QShowEvent *event)
{
    if (pixmap().isNull()) {
        QImageReader reader(QStringLiteral(":/image/bg.jpg"));
        reader.setScaledSize(reader.size() / 2);
        setPixmap(QPixmap::fromImage(reader.read()));
    }
    QLabel::showEvent(event);
}
