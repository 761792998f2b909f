#pragma once

#include <QDialog>
#include <QPoint>
#include <QString>

#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;

// The preferences: the folder snapshots are saved in (kept in "OutputPath.txt"
// in the per-user data folder), their image format and whether the player
// remembers where the user stopped (both kept by the window).
// Frameless with a dark title strip, dragged by any point of its surface, a
// task-bar entry of its own.
class CProcessUI : public QDialog
{
    Q_OBJECT
public:
    CProcessUI();

    // Builds the contents; formatIndex must be set before.
    void BuildUi();

    // What Browse asks; tests put their own here. An empty answer (a null
    // string) means the user cancelled.
    using FolderChooser = std::function<QString(QWidget *parent)>;
    void setFolderChooser(FolderChooser chooser) { folderChooser = std::move(chooser); }

    // The formats on offer, in the box's order.
    static const QStringList &Formats();
    // The chosen format's text ("JPEG", "PNG" or "BMP").
    QString formatText() const;
    QString folder() const { return snapshotFolder; }

    int result = 1;      // 0 once OK has saved the choice
    int formatIndex = 0; // set by the caller before BuildUi; by OK after
    bool rememberPositions = true; // likewise: "Remember where I stopped"

public slots:
    void btnCloseSlot();
    void btnOpenFolder();
    void btnOK();
    void btnChoosePath();
    void btnMinSlot();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    QWidget *BuildTitleStrip();
    QWidget *BuildBody();
    QWidget *BuildButtonStrip();

    QString snapshotFolder;
    QPoint dragOffset;
    QComboBox *formatBox = nullptr;
    QCheckBox *rememberBox = nullptr;
    QLineEdit *folderField = nullptr;
    FolderChooser folderChooser;
};
