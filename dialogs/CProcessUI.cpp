#include "dialogs/CProcessUI.h"

#include "dialogs/CMessageBox.h"
#include "engine/SnapshotFolder.h"
#include "lang/CLanguageMgr.h"
#include "platform/ProgramPaths.h"
#include "resources/ImageResources.h"
#include "ui/Styles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

constexpr int DialogWidth = 680;
constexpr int DialogHeight = 250;

const char *const TitleStrip = "background-color: rgb(69, 78, 93);";
const char *const Button =
    "QPushButton{background-color:rgb(48, 81, 109);color:white;border-radius:5px;"
    "border:2px groove white;border-style:outset;}"
    "QPushButton:hover{background-color:rgb(156, 156, 156);}"
    "QPushButton:pressed{background-color:rgb(156, 156, 156);border:2px groove white;"
    "border-style:inset;}";

QPushButton *TextButton(const char *key, const char *name, QWidget *parent, const QRect &geometry)
{
    auto *button = new QPushButton(Text(key), parent);
    button->setObjectName(QLatin1String(name));
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(QString::fromLatin1(Button));
    button->setFont(Styles::Calibri(11, false));
    button->setGeometry(geometry);
    return button;
}

QPushButton *IconButton(const char *image, const char *name, QWidget *parent, int x)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setFlat(true);
    const QPixmap pixmap(QString::fromLatin1(image));
    button->setIcon(QIcon(pixmap));
    button->setIconSize(pixmap.size());
    button->move(x, 0);
    button->resize(pixmap.size());
    button->setStyleSheet(QStringLiteral("border:none"));
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

QLabel *Caption(const char *key, QWidget *parent, int y)
{
    auto *caption = new QLabel(Text(key) + QStringLiteral(": "), parent);
    caption->setGeometry(20, y, 150, 25);
    caption->setWordWrap(true);
    caption->setStyleSheet(QStringLiteral("color: black;"));
    caption->setFont(Styles::Calibri(11, false));
    return caption;
}

} // namespace

CProcessUI::CProcessUI()
{
    EnsureImageResources();
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("Dialog"));
    // A frameless window of its own, with a task-bar entry, not kept on top.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setFixedSize(DialogWidth, DialogHeight);
    resize(DialogWidth, DialogHeight);
    setWindowTitle(Text("MainWnd/RegisterTitle"));
    setWindowIcon(QIcon(QStringLiteral(":/image/logo.ico")));
    folderChooser = [](QWidget *parent) {
        return QFileDialog::getExistingDirectory(parent, QString(), QString(),
                                                 QFileDialog::ShowDirsOnly);
    };
}

const QStringList &CProcessUI::Formats()
{
    static const QStringList formats = {QStringLiteral("JPEG"), QStringLiteral("PNG"),
                                        QStringLiteral("BMP")};
    return formats;
}

QString CProcessUI::formatText() const
{
    return formatBox ? formatBox->currentText() : Formats().value(formatIndex);
}

void CProcessUI::BuildUi()
{
    auto *titleRow = new QHBoxLayout;
    titleRow->setSpacing(0);
    titleRow->setContentsMargins(0, 0, 0, 0);
    titleRow->addWidget(BuildTitleStrip());
    auto *bodyLayout = new QVBoxLayout;
    bodyLayout->setContentsMargins(20, 0, 0, 0);
    bodyLayout->addWidget(BuildBody());
    auto *buttonLayout = new QVBoxLayout;
    buttonLayout->setContentsMargins(0, 0, 0, 0);
    buttonLayout->addWidget(BuildButtonStrip());
    auto *spacer = new QLabel;
    spacer->setMinimumSize(DialogWidth, 10);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addLayout(titleRow);
    outer->addLayout(bodyLayout);
    outer->addLayout(buttonLayout);
    outer->addWidget(spacer);
}

QWidget *CProcessUI::BuildTitleStrip()
{
    auto *strip = new QLabel;
    strip->setMinimumSize(DialogWidth, 40);
    strip->setStyleSheet(QString::fromLatin1(TitleStrip));
    QPushButton *minimise = IconButton(":/image/min.png", "minButton", strip, DialogWidth - 60);
    connect(minimise, &QPushButton::clicked, this, &CProcessUI::btnMinSlot);
    QPushButton *close = IconButton(":/image/close.png", "closeButton", strip, DialogWidth - 30);
    connect(close, &QPushButton::clicked, this, &CProcessUI::btnCloseSlot);
    auto *title = new QLabel(Text("MainWnd/Preferences"), strip);
    title->setObjectName(QStringLiteral("titleText"));
    title->setGeometry(150, 5, 300, 30);
    title->setAlignment(Qt::AlignCenter);
    title->setStyleSheet(QStringLiteral("color: white;"));
    title->setFont(Styles::Calibri(12, true));
    return strip;
}

QWidget *CProcessUI::BuildBody()
{
    auto *body = new QLabel;
    body->setMinimumSize(DialogWidth - 80, 180);
    Caption("MainWnd/SnapshotFolder", body, 10);
    snapshotFolder = SnapshotFolder::Read(UserDataFolder());
    folderField = new QLineEdit(snapshotFolder, body);
    folderField->setObjectName(QStringLiteral("folderField"));
    folderField->setGeometry(180, 10, 250, 25);
    folderField->setStyleSheet(QStringLiteral("color: black;"));
    folderField->setFont(Styles::Calibri(11, false));
    folderField->setEnabled(false); // shown, never typed into
    QPushButton *browse = TextButton("MainWnd/Browse", "browseButton", body, {440, 10, 80, 25});
    connect(browse, &QPushButton::clicked, this, &CProcessUI::btnChoosePath);
    QPushButton *open = TextButton("MainWnd/Open", "openButton", body, {530, 10, 80, 25});
    connect(open, &QPushButton::clicked, this, &CProcessUI::btnOpenFolder);

    Caption("MainWnd/SnapshotFormat", body, 40);
    formatBox = new QComboBox(body);
    formatBox->setObjectName(QStringLiteral("formatBox"));
    formatBox->setGeometry(180, 40, 150, 25);
    formatBox->setFont(Styles::Calibri(12, false));
    for (const QString &format : Formats())
        formatBox->addItem(QIcon(), format);
    formatBox->setCurrentIndex(formatIndex);

    rememberBox = new QCheckBox(Text("MainWnd/RememberPosition"), body);
    rememberBox->setObjectName(QStringLiteral("rememberBox"));
    rememberBox->setGeometry(20, 75, 500, 25);
    rememberBox->setStyleSheet(QStringLiteral("color: black;"));
    rememberBox->setFont(Styles::Calibri(11, false));
    rememberBox->setChecked(rememberPositions);
    return body;
}

QWidget *CProcessUI::BuildButtonStrip()
{
    auto *strip = new QLabel;
    strip->setMinimumSize(DialogWidth, 40);
    QPushButton *ok = TextButton("MainWnd/OK", "okButton", strip, {220, 0, 80, 30});
    connect(ok, &QPushButton::clicked, this, &CProcessUI::btnOK);
    QPushButton *cancel = TextButton("MainWnd/Cancel", "cancelButton", strip, {360, 0, 80, 30});
    connect(cancel, &QPushButton::clicked, this, &CProcessUI::btnCloseSlot);
    return strip;
}

void CProcessUI::btnCloseSlot()
{
    close();
}

void CProcessUI::btnMinSlot()
{
    showMinimized();
}

void CProcessUI::btnOK()
{
    const QString dataFolder = UserDataFolder();
    if (!SnapshotFolder::Write(dataFolder, snapshotFolder)) {
        // Not confirmed: the user may pick another folder or cancel.
        CMessageBox::Inform(this, Text("Messages/MSG0302").arg(SnapshotFolder::FileIn(dataFolder)));
        return;
    }
    formatIndex = formatBox->currentIndex();
    rememberPositions = rememberBox->isChecked();
    result = 0;
    close();
}

void CProcessUI::btnChoosePath()
{
    const QString chosen = folderChooser(this);
    if (chosen.isEmpty())
        return;
    snapshotFolder = SnapshotFolder::WithSlash(chosen);
    folderField->setText(snapshotFolder);
}

void CProcessUI::btnOpenFolder()
{
    // The folder shown, saved or not.
    if (!SnapshotFolder::Make(snapshotFolder)) {
        CMessageBox::Inform(this, Text("Messages/MSG0303").arg(snapshotFolder));
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(snapshotFolder));
}

void CProcessUI::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
    event->accept();
}

void CProcessUI::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() != Qt::LeftButton)
        return;
    move(event->globalPosition().toPoint() - dragOffset);
    event->accept();
}
