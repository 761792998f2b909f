#pragma once

#include "platform/MediaControls.h"

#include <QElapsedTimer>
#include <QObject>
#include <QVariantMap>

// MPRIS 2 on the session bus (org.mpris.MediaPlayer2.vantorel): media keys
// and the desktop's media widgets drive the player through MediaControls.
// Without a session bus nothing is published and nothing else changes.
class MprisService : public QObject
{
    Q_OBJECT
public:
    explicit MprisService(MediaControls *player, QObject *parent = nullptr);

    // Registers the object and takes the bus name; false without a bus.
    bool publish();

    MediaControls *player() const { return m_player; }
    // The track id of a snapshot, as MPRIS names it.
    static QString TrackId(const MediaSnapshot &snapshot);
    // The Metadata property of a snapshot.
    static QVariantMap Metadata(const MediaSnapshot &snapshot);

    // Seeks to positionMs when trackId names what plays now, as SetPosition
    // asks; out of range, or for another track, nothing happens.
    void setPosition(const QString &trackId, qint64 positionUs);
    // Seeks by offsetUs from where playback stands (Seek).
    void seekBy(qint64 offsetUs);
    // The commands and OpenUri, carried out after the caller has its answer.
    void command(MediaCommand which);
    void openUri(const QString &uri);

public slots:
    // Compares what the player shows with what the bus was last told and
    // signals the difference (PropertiesChanged, and Seeked for a jump).
    void refresh();

signals:
    // Re-emitted by the Player adaptor as its Seeked signal.
    void seeked(qint64 positionUs);

private:
    QVariantMap playerProperties(const MediaSnapshot &snapshot) const;
    void announceJump(const MediaSnapshot &snapshot);
    void remember(const MediaSnapshot &snapshot);
    void seekedByUs();

    MediaControls *m_player;
    bool m_published = false;
    QVariantMap m_told;           // the Player properties the bus knows
    qint64 m_lastPositionMs = -1; // for telling a jump from playing on
    quint64 m_lastRun = 0;
    QElapsedTimer m_sinceLast;
};
