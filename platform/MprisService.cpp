#include "platform/MprisService.h"

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QTimer>
#include <QUrl>

#include <cmath>
#include <limits>

namespace {

const QString ObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString PlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString BusName = QStringLiteral("org.mpris.MediaPlayer2.vantorel");
const QString NoTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");
// A position this far off where playing on would have brought it is a jump.
constexpr qint64 JumpMs = 1500;

qint64 SaturatingAdd(qint64 a, qint64 b)
{
    qint64 sum = 0;
    if (qAddOverflow(a, b, &sum))
        return b > 0 ? std::numeric_limits<qint64>::max() : std::numeric_limits<qint64>::min();
    return sum;
}

const char *StatusName(MediaSnapshot::Status status)
{
    switch (status) {
    case MediaSnapshot::Status::Playing:
        return "Playing";
    case MediaSnapshot::Status::Paused:
        return "Paused";
    case MediaSnapshot::Status::Stopped:
        break;
    }
    return "Stopped";
}

} // namespace

// org.mpris.MediaPlayer2: the program itself.
class MprisRootAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ yes)
    Q_PROPERTY(bool CanRaise READ yes)
    Q_PROPERTY(bool HasTrackList READ no)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ uriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ mimeTypes)
public:
    explicit MprisRootAdaptor(MprisService *service) : QDBusAbstractAdaptor(service), m_service(service) {}
    bool yes() const { return true; }
    bool no() const { return false; }
    QString identity() const { return QStringLiteral("Vantorel"); }
    QString desktopEntry() const { return QStringLiteral("org.vantorel.Vantorel"); }
    QStringList uriSchemes() const { return {QStringLiteral("file")}; }
    QStringList mimeTypes() const
    {
        return QStringLiteral(VANTOREL_MIME_TYPES).split(QLatin1Char(','), Qt::SkipEmptyParts);
    }

public slots:
    void Raise() { m_service->command(MediaCommand::Raise); }
    void Quit() { m_service->command(MediaCommand::Quit); }

private:
    MprisService *m_service;
};

// org.mpris.MediaPlayer2.Player: what plays and its transport.
class MprisPlayerAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(double Rate READ rate WRITE setRate)
    Q_PROPERTY(double MinimumRate READ rate)
    Q_PROPERTY(double MaximumRate READ rate)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(bool CanGoNext READ canGoNext)
    Q_PROPERTY(bool CanGoPrevious READ canGoPrevious)
    Q_PROPERTY(bool CanPlay READ canPlay)
    Q_PROPERTY(bool CanPause READ canPause)
    Q_PROPERTY(bool CanSeek READ canSeek)
    Q_PROPERTY(bool CanControl READ canControl)
public:
    explicit MprisPlayerAdaptor(MprisService *service) : QDBusAbstractAdaptor(service), m_service(service)
    {
        connect(service, &MprisService::seeked, this, &MprisPlayerAdaptor::Seeked);
    }
    MediaSnapshot now() const { return m_service->player()->NowPlaying(); }
    QString playbackStatus() const { return QString::fromLatin1(StatusName(now().status)); }
    double rate() const { return 1.0; }
    void setRate(double) {} // one rate only
    QVariantMap metadata() const { return MprisService::Metadata(now()); }
    double volume() const { return now().volumePercent / 100.0; }
    void setVolume(double volume)
    {
        // Below 0 is silence; the slider ends at 100 %.
        const double percent = qBound(0.0, std::isnan(volume) ? 0.0 : volume, 1.0) * 100.0;
        m_service->player()->SetVolumePercent(qRound(percent));
        m_service->refresh();
    }
    qlonglong position() const { return now().positionMs * 1000; }
    bool canGoNext() const { return now().canGoNext; }
    bool canGoPrevious() const { return now().canGoPrevious; }
    bool canPlay() const { return now().canPlay; }
    bool canPause() const { return now().canPause; }
    bool canSeek() const { return now().canSeek; }
    bool canControl() const { return true; }

public slots:
    void Next() { command(MediaCommand::Next); }
    void Previous() { command(MediaCommand::Previous); }
    void Pause() { command(MediaCommand::Pause); }
    void PlayPause() { command(MediaCommand::PlayPause); }
    void Stop() { command(MediaCommand::Stop); }
    void Play() { command(MediaCommand::Play); }
    void Seek(qlonglong Offset) { m_service->seekBy(Offset); }
    void SetPosition(const QDBusObjectPath &TrackId, qlonglong Position)
    {
        m_service->setPosition(TrackId.path(), Position);
    }
    void OpenUri(const QString &Uri) { m_service->openUri(Uri); }

signals:
    void Seeked(qlonglong Position);

private:
    void command(MediaCommand which) { m_service->command(which); }

    MprisService *m_service;
};

MprisService::MprisService(MediaControls *player, QObject *parent)
    : QObject(parent), m_player(player)
{
    new MprisRootAdaptor(this);
    new MprisPlayerAdaptor(this);
}

bool MprisService::publish()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.registerObject(ObjectPath, this, QDBusConnection::ExportAdaptors))
        return false;
    // A name that is taken (another user session's player on a shared bus)
    // gets this process's own instance name, as MPRIS asks.
    if (!bus.registerService(BusName)
        && !bus.registerService(BusName + QStringLiteral(".instance")
                                + QString::number(QCoreApplication::applicationPid()))) {
        bus.unregisterObject(ObjectPath);
        return false;
    }
    m_published = true;
    m_told = playerProperties(m_player->NowPlaying());
    return true;
}

void MprisService::command(MediaCommand which)
{
    // Carried out once the call has been answered: a command may show a
    // message, whose own event loop would hold the answer back meanwhile.
    QTimer::singleShot(0, this, [this, which] {
        m_player->ControlPlayback(which);
        refresh();
    });
}

void MprisService::openUri(const QString &uri)
{
    QTimer::singleShot(0, this, [this, uri] {
        m_player->OpenUri(uri);
        refresh();
    });
}

QString MprisService::TrackId(const MediaSnapshot &snapshot)
{
    if (snapshot.status == MediaSnapshot::Status::Stopped || snapshot.run == 0)
        return NoTrack;
    return QStringLiteral("/org/vantorel/Vantorel/track/") + QString::number(snapshot.run);
}

QVariantMap MprisService::Metadata(const MediaSnapshot &snapshot)
{
    QVariantMap metadata;
    metadata.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(TrackId(snapshot))));
    // Stopped with a medium waiting (a disc page): what Play would start.
    if (snapshot.location.isEmpty())
        return metadata;
    if (snapshot.lengthMs > 0)
        metadata.insert(QStringLiteral("mpris:length"), qlonglong(snapshot.lengthMs * 1000));
    metadata.insert(QStringLiteral("xesam:title"), snapshot.title);
    metadata.insert(QStringLiteral("xesam:url"), QUrl::fromLocalFile(snapshot.location).toString());
    if (!snapshot.disc)
        return metadata;
    metadata.insert(QStringLiteral("xesam:album"), snapshot.discName);
    if (snapshot.titleNumber > 0) {
        metadata.insert(QStringLiteral("xesam:trackNumber"), snapshot.titleNumber);
        metadata.insert(QStringLiteral("vantorel:title"), snapshot.titleNumber);
    }
    if (snapshot.chapter > 0)
        metadata.insert(QStringLiteral("vantorel:chapter"), snapshot.chapter);
    return metadata;
}

QVariantMap MprisService::playerProperties(const MediaSnapshot &snapshot) const
{
    return {
        {QStringLiteral("PlaybackStatus"), QString::fromLatin1(StatusName(snapshot.status))},
        {QStringLiteral("Metadata"), Metadata(snapshot)},
        {QStringLiteral("Volume"), snapshot.volumePercent / 100.0},
        {QStringLiteral("CanGoNext"), snapshot.canGoNext},
        {QStringLiteral("CanGoPrevious"), snapshot.canGoPrevious},
        {QStringLiteral("CanPlay"), snapshot.canPlay},
        {QStringLiteral("CanPause"), snapshot.canPause},
        {QStringLiteral("CanSeek"), snapshot.canSeek},
    };
}

void MprisService::refresh()
{
    const MediaSnapshot snapshot = m_player->NowPlaying();
    announceJump(snapshot);
    if (!m_published)
        return;
    const QVariantMap now = playerProperties(snapshot);
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it)
        if (m_told.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    if (changed.isEmpty())
        return;
    m_told = now;
    QDBusMessage signal = QDBusMessage::createSignal(ObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << PlayerInterface << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

void MprisService::announceJump(const MediaSnapshot &snapshot)
{
    const bool playing = snapshot.status == MediaSnapshot::Status::Playing;
    const qint64 expected = m_lastPositionMs + (playing && m_sinceLast.isValid() ? m_sinceLast.elapsed() : 0);
    const bool sameRun = snapshot.run == m_lastRun && snapshot.status != MediaSnapshot::Status::Stopped;
    if (sameRun && m_lastPositionMs >= 0 && qAbs(snapshot.positionMs - expected) > JumpMs)
        emit seeked(snapshot.positionMs * 1000);
    remember(snapshot);
}

void MprisService::remember(const MediaSnapshot &snapshot)
{
    m_lastPositionMs = snapshot.status != MediaSnapshot::Status::Stopped ? snapshot.positionMs : -1;
    m_lastRun = snapshot.run;
    m_sinceLast.start();
}

void MprisService::seekedByUs()
{
    // Told once, here, and not taken for a jump by the next look.
    const MediaSnapshot after = m_player->NowPlaying();
    remember(after);
    emit seeked(after.positionMs * 1000);
    refresh();
}

void MprisService::seekBy(qint64 offsetUs)
{
    const MediaSnapshot snapshot = m_player->NowPlaying();
    if (!snapshot.canSeek)
        return;
    const qint64 targetMs = SaturatingAdd(snapshot.positionMs * 1000, offsetUs) / 1000;
    if (targetMs >= snapshot.lengthMs) {
        // Past the end: as Next, which does nothing when there is no next.
        if (snapshot.canGoNext)
            command(MediaCommand::Next);
        return;
    }
    m_player->SeekTo(qMax<qint64>(targetMs, 0));
    seekedByUs();
}

void MprisService::setPosition(const QString &trackId, qint64 positionUs)
{
    const MediaSnapshot snapshot = m_player->NowPlaying();
    if (!snapshot.canSeek || trackId != TrackId(snapshot) || positionUs < 0
        || positionUs > snapshot.lengthMs * 1000)
        return;
    m_player->SeekTo(positionUs / 1000);
    seekedByUs();
}

#include "MprisService.moc"
