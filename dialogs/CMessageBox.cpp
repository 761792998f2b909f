#include "dialogs/CMessageBox.h"

#include "lang/CLanguageMgr.h"
#include "resources/ImageResources.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int BoxWidth = 400;
constexpr int BoxHeight = 180;

const char *const TitleStrip = "background-color: rgb(69, 78, 93);";
const char *const ButtonStrip = "background-color: rgb(220, 220, 220);";
const char *const OkButton =
    "QPushButton{background-color:rgb(191, 191, 191);border-radius:10px;"
    "border:2px groove white;border-style:outset;}"
    "QPushButton:hover{background-color:rgb(156, 156, 156);}"
    "QPushButton:pressed{background-color:rgb(156, 156, 156);border:2px groove white;"
    "border-style:inset;}";

} // namespace

CMessageBox::CMessageBox()
{
    EnsureImageResources();
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("Dialog"));
    // A frameless window of its own, with a task-bar entry, not kept on top.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setWindowTitle(Text("MainWnd/FreeTitle"));
    setWindowIcon(QIcon(QStringLiteral(":/image/logo.ico")));
    setFixedSize(BoxWidth, BoxHeight);
    resize(BoxWidth, BoxHeight);
    setFont(QFont(QStringLiteral("Calibri"), 12, QFont::Normal));
}

void CMessageBox::ShowInformation(const QString &message)
{
    const int w = width();
    auto *titleStrip = new QLabel;
    titleStrip->setMinimumSize(w, 20);
    titleStrip->setStyleSheet(QString::fromLatin1(TitleStrip));
    auto *titleText = new QLabel(QStringLiteral("  ") + Text("Messages/MSG0403"), titleStrip);
    titleText->setObjectName(QStringLiteral("titleText"));
    titleText->setGeometry(0, 10, 400, 20);
    titleText->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    titleText->setStyleSheet(QStringLiteral("color: white;"));

    auto *icon = new QLabel;
    icon->setPixmap(QPixmap(QStringLiteral(":/image/information.png")));
    icon->setAlignment(Qt::AlignCenter);

    m_messageLabel = new QLabel(message);
    m_messageLabel->setObjectName(QStringLiteral("messageLabel"));
    m_messageLabel->setMinimumSize(w - 80, 60);
    m_messageLabel->setStyleSheet(QStringLiteral("color: black;"));
    m_messageLabel->setWordWrap(true);

    auto *buttonStrip = new QLabel;
    buttonStrip->setMinimumSize(w, 40);
    buttonStrip->setStyleSheet(QString::fromLatin1(ButtonStrip));
    auto *ok = new QPushButton(Text("MainWnd/OK"), buttonStrip);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setFlat(true);
    ok->setCursor(Qt::PointingHandCursor);
    ok->setStyleSheet(QString::fromLatin1(OkButton));
    ok->setGeometry((w + 1) / 2 - 40, 8, 80, 25);
    connect(ok, &QPushButton::clicked, this, &CMessageBox::btnSlotOK);

    auto *titleRow = new QHBoxLayout;
    titleRow->setSpacing(0);
    titleRow->setContentsMargins(0, 0, 0, 0);
    titleRow->addWidget(titleStrip);
    auto *body = new QHBoxLayout;
    body->setContentsMargins(5, 0, 0, 0);
    body->addWidget(icon);
    body->addWidget(m_messageLabel);
    auto *inner = new QVBoxLayout;
    inner->setContentsMargins(0, 0, 0, 0);
    inner->addLayout(body);
    inner->addWidget(buttonStrip);
    auto *outer = new QVBoxLayout(this);
    outer->setSpacing(20);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addLayout(titleRow);
    outer->addLayout(inner);
}

void CMessageBox::btnSlotOK()
{
    m_result = 0;
    close();
}

void CMessageBox::btnSlotNO()
{
    m_result = 1;
    close();
}

void CMessageBox::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
        event->accept();
    } else if (event->button() == Qt::RightButton) {
        close();
    }
}

void CMessageBox::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() == Qt::LeftButton) {
        move(event->globalPosition().toPoint() - m_dragOffset);
        event->accept();
    }
}

QRect CMessageBox::Placement(const QWidget *mainWindow)
{
    const QPoint origin = mainWindow->pos()
        + QPoint(mainWindow->width() / 3, mainWindow->height() / 3);
    return QRect(origin, QSize(BoxWidth, BoxHeight));
}

void CMessageBox::Inform(const QWidget *mainWindow, const QString &message)
{
    CMessageBox box;
    box.setGeometry(Placement(mainWindow));
    box.ShowInformation(message);
    box.exec();
}
