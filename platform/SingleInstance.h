#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLockFile;

// One player per user. The first instance listens on a local socket that only
// its user can reach; a later one connects, asks it to bring its window back,
// and ends.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstance(const QString &name = QStringLiteral("Vantorel_2020"),
                            QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when another instance answered and was asked to restore its
    // window. Otherwise this instance becomes the one that answers; a server
    // that cannot be created counts as no other instance.
    bool anotherInstanceRunning();

    static QString socketPath(const QString &name);

signals:
    void restoreRequested();

private:
    void onConnection();

    bool askTheFirst();

    QString m_path;
    QLocalServer *m_server = nullptr;
    // Held for the first instance's whole life: whoever takes it is the
    // first, so two starts at the same moment cannot both decide they are.
    QLockFile *m_lock = nullptr;
};
