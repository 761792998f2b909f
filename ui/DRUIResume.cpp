// Remembering where the user stopped: the store in the data folder, saved at
// Stop, at close, every few seconds while playing, and cleared at the end.
#include "ui/DRUI.h"

#include "disc/TimeText.h"
#include "engine/EngineCommand.h"
#include "engine/EngineSession.h"
#include "platform/AtomicFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThreadPool>

#include <utility>

namespace {

// Saved this often while playing, in 500 ms refresh ticks, so that a crash
// loses only seconds.
constexpr int SaveEveryTicks = 10;

} // namespace

QString DRUI::ResumeStorePath() const
{
    return QDir(dataFolder).filePath(QStringLiteral("ResumeConfig.txt"));
}

// Turned off, nothing is remembered; the marker keeps that across starts.
QString DRUI::ResumeOffPath() const
{
    return QDir(dataFolder).filePath(QStringLiteral("ResumeOff"));
}

void DRUI::LoadResumeStore()
{
    rememberPositions = !QFileInfo::exists(ResumeOffPath());
    resumeEntries = rememberPositions ? ResumeStore::Load(ResumeStorePath()) : ResumeStore::Entries();
}

void DRUI::SetRememberPositions(bool on)
{
    if (on == rememberPositions)
        return;
    rememberPositions = on;
    if (on) {
        QFile::remove(ResumeOffPath());
    } else {
        WriteFileAtomically(ResumeOffPath(), QByteArray());
        resumeWriter->waitForDone(); // or a save under way would write it again
        ++resumeGeneration;
        QFile::remove(ResumeStorePath());
        resumeEntries.clear();
    }
}

// What the medium about to start is remembered by; its position and streams
// are filled in at every save.
void DRUI::BeginResumeEntry(int titleNumber)
{
    playingResume = {};
    playingResume.key = mediaKind == MEDIA_FILE ? ResumeStore::FileKeyOf(currentMediaPath)
                                                : ResumeStore::DiscKey(discIdentity);
    playingResume.path = currentMediaPath;
    playingResume.title = mediaKind == MEDIA_DVD ? dvdTitle : titleNumber;
    resumeTicks = 0;
}

const ResumeStore::Entry *DRUI::RememberedFor(const QString &key) const
{
    const auto it = resumeEntries.constFind(key);
    return key.isEmpty() || !rememberPositions || it == resumeEntries.cend() ? nullptr : &*it;
}

void DRUI::SaveResumePosition(bool inBackground)
{
    if (!rememberPositions || playingResume.key.isEmpty() || !mediumOpened)
        return;
    // Another player of the user may have been told to forget everything.
    if (QFileInfo::exists(ResumeOffPath())) {
        rememberPositions = false;
        resumeEntries.clear();
        return;
    }
    playingResume.positionMs = playClockMs;
    // The probe's length, or the engine's while the probe has not answered.
    playingResume.lengthMs = (mediaLengthSeconds > 0 ? mediaLengthSeconds : reportedLengthSeconds) * 1000;
    playingResume.audio = audioTrackIndex + 1;
    playingResume.subtitle = subtitleTrackIndex + 1;
    playingResume.savedAtMs = QDateTime::currentMSecsSinceEpoch();
    StoreResumeChange({ResumeStore::Change::Put, playingResume}, inBackground);
    if (mediaKind == MEDIA_BLURAY)
        OfferDiscResume(); // the disc page, when it comes back, offers the place
}

void DRUI::SaveResumePositionNowAndThen()
{
    if (++resumeTicks % SaveEveryTicks == 0)
        SaveResumePosition(true);
}

// A change this window sees at once; the store (merged with what other
// players saved) is written now, or by the writer while playing goes on.
void DRUI::StoreResumeChange(const ResumeStore::Change &change, bool inBackground)
{
    const int generation = ++resumeGeneration;
    if (!inBackground) {
        resumeWriter->waitForDone(); // a later change is written later
        ResumeStore::Apply(ResumeStorePath(), change, resumeEntries);
        return;
    }
    resumeEntries.insert(change.entry.key, change.entry);
    resumeWriter->start([this, path = ResumeStorePath(), change, generation] {
        ResumeStore::Entries merged;
        if (!ResumeStore::Apply(path, change, merged))
            return;
        QMetaObject::invokeMethod(
            this,
            [this, merged, generation] {
                if (generation == resumeGeneration) // nothing newer was changed since
                    resumeEntries = merged;
            },
            Qt::QueuedConnection);
    });
}

void DRUI::ForgetResumePosition()
{
    if (playingResume.key.isEmpty() || !rememberPositions)
        return;
    StoreResumeChange({ResumeStore::Change::Remove, playingResume}, false);
    playingResume.key.clear();  // nothing more to save for it
    if (mediaKind == MEDIA_BLURAY)
        OfferDiscResume();
}

// A DVD that is opened again goes on in the title it was left in, as a file
// does; a title chosen from the menu starts from its beginning.
void DRUI::TakeDvd(const DvdDisc &dvd)
{
    dvdTitles = dvd.titles;
    discIdentity = dvd.identity;
    dvdTitle = 1;
    dvdResumeArmed = false;
    const ResumeStore::Entry *entry = RememberedFor(ResumeStore::DiscKey(discIdentity));
    for (const DvdTitle &title : dvdTitles) {
        if (entry && title.number == entry->title
            && ResumeStore::ResumeAtMs(entry->positionMs, title.seconds * 1000) > 0) {
            dvdTitle = title.number;
            dvdResumeArmed = true;
        }
    }
}

// A file, or a DVD just opened, starts where it was left, with the audio and
// subtitles chosen then, and says so. Called once its engine has started.
void DRUI::ApplyFileResume()
{
    const bool dvd = mediaKind == MEDIA_DVD && std::exchange(dvdResumeArmed, false);
    const ResumeStore::Entry *entry = mediaKind == MEDIA_FILE || dvd ? RememberedFor(playingResume.key) : nullptr;
    if (dvd && entry && entry->title != dvdTitle)
        entry = nullptr;
    const qint64 at = entry ? ResumeStore::ResumeAtMs(entry->positionMs, entry->lengthMs) : 0;
    if (at <= 0)
        return;
    audioTrackIndex = entry->audio - 1;
    subtitleTrackIndex = entry->subtitle - 1;
    engine->send(EngineCommand::Seek, int(at / 1000));
    playClockMs = at;
    ShowResumedSign(at);
}

QString DRUI::RecentEntryText(const QString &path) const
{
    const qint64 at = rememberPositions ? ResumeStore::RememberedAtPath(resumeEntries, path) : -1;
    return at < 0 ? path : path + QStringLiteral("   ") + FormatSeconds(at / 1000);
}
