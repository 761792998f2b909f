#include "ui/WelcomeBackground.h"

#include <QImageReader>

WelcomeBackground::WelcomeBackground(QWidget *parent)
    : QLabel(parent)
{
    setObjectName(QStringLiteral("welcomeBackground"));
    setScaledContents(true);
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
