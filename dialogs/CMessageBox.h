#pragma once

#include <QDialog>
#include <QPoint>

class QLabel;

// The player's own notice: frameless, 400 × 180, dark title strip, an icon,
// the message and one OK button. It is dragged by any point of its surface
// and a right click dismisses it.
class CMessageBox : public QDialog
{
    Q_OBJECT
public:
    CMessageBox();

    // Builds the contents around the message; call once before exec().
    void ShowInformation(const QString &message);

    // 0 after OK, 1 otherwise.
    int answer() const { return m_result; }
    QLabel *messageLabel() const { return m_messageLabel; }

    // Where every notice goes: a third of the way into the main window.
    static QRect Placement(const QWidget *mainWindow);
    // Creates, places, fills and runs one notice.
    static void Inform(const QWidget *mainWindow, const QString &message);

public slots:
    void btnSlotOK();
    void btnSlotNO();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    QPoint m_dragOffset;
    int m_result = 1;
    QLabel *m_messageLabel = nullptr;
};
