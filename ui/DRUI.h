#pragma once

#include "disc/BlurayTitleState.h"
#include "disc/DiscDetection.h"
#include "disc/DiscPicture.h"
#include "disc/DvdTitleList.h"
#include "engine/EngineSession.h"
#include "engine/PlayDecision.h"
#include "platform/MediaControls.h"
#include "ui/PlayListInfo.h"
#include "ui/ResumeStore.h"

#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>

class QAction;
class QHBoxLayout;
class QLabel;
class QMenu;
class QPushButton;
class QThreadPool;
class QSlider;
class QStackedLayout;
class QTableWidget;
class QTimer;
class QVBoxLayout;
class PowerInhibitor;
class DiscReader;
class ProbeQueue;
class CProcessUI;
class SnapshotWriter;
namespace SnapshotFiles {
struct Outcome;
}

// The main window and the player's controller: it owns every widget, the
// engine process, the refresh timer and all playback and disc state. Its
// definition is split by subject over ui/, engine/ and disc/.
class DRUI : public QMainWindow, public MediaControls
{
    Q_OBJECT
public:
    explicit DRUI(QWidget *parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
    ~DRUI() override;

    // Builds, or on a live window rebuilds, everything below the frame.
    void BuildPages();
    // Says which language file could not be read (the built-in English
    // texts stand in for it), if one could not.
    void TellMissingLanguageFile();
    // An engine started ahead of the first playback (EngineHeadStart): the
    // first playback hands it its command line.
    void AdoptStandbyEngine(QProcess *engineProcess, const QString &program);

    // State the tests and the other subjects read.
    QString dataFolder;
    QList<PLAY_LIST_INFO> playlist;
    QStringList recentFiles;

public slots:
    // A second start of the player asks for the window to come back.
    void RestoreWindow();
    // Paths a later start of the player hands over: opened as a drop would.
    void OpenFromDesktop(const QStringList &paths);

    // Reachable by name through the meta-object (outward links).
    void btnHelpSlot();
    void btnSupportSlot();
    void btnAboutSlot();
    void btnOpenUrl(const QString &url);
    // Opens the snapshot folder in the file manager, creating it first.
    void btnOpenSnapshotFolder();

public:
    // What the player does with a file chooser; tests put their own here.
    using FileChooser = std::function<QStringList(QWidget *parent)>;
    void setFileChooser(FileChooser chooser) { fileChooser = std::move(chooser); }

    void OpenMediaFiles(const QStringList &files);

    // What the player does with a folder chooser; tests put their own here.
    using FolderChooser = std::function<QString(QWidget *parent)>;
    void setFolderChooser(FolderChooser chooser) { folderChooser = std::move(chooser); }

    // A Blu-ray or DVD folder (or a drive's mount point).
    void OpenDiscFolder(const QString &folder);

    // The desktop's media controls (ui/DRUIDesktop.cpp).
    MediaSnapshot NowPlaying() const override;
    void ControlPlayback(MediaCommand command) override;
    void SeekTo(qint64 positionMs) override;
    void SetVolumePercent(int percent) override;
    void OpenUri(const QString &uri) override;

signals:
    // What the media controls show may have changed.
    void PlaybackChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private slots:
    void btnCloseSlot();

    void BDFileMenu(QAction *action);
    void BDControlsMenu(QAction *action);
    void BDVideoMenu(QAction *action);
    void BDAudioMenu(QAction *action);
    void BDToolMenu(QAction *action);
    void BDHelpMenu(QAction *action);
    void BDMenuOperate(QAction *action);

    void btnOpenFile();
    void btnLoadBDPath();
    void btnPlaySlot();
    void btnLoadDiscImage();
    void VideoPlay();
    void StopBtn();
    void PlayPre();
    void PlayNext();
    void VolumeBtn();
    void VolumeSliderSeek(int value);
    void FullScreenBtn();
    void SliderPress();
    void SliderSeek(int value);
    void SliderRelease();
    void DoRefreshGui();
    void MPlayerDataRecieve();
    void PlayListItemDoubleClick(int row, int column);
    void btnMinSlot();
    void btnMenButtonSlot();

private:
    friend class DRUITestAccess;
    using Handler = void (DRUI::*)();

    // Page build pieces (ui/DRUIPages.cpp).
    void BuildMainPage();
    QLayout *BuildMenuBarRow();
    QPushButton *CreateMenuButton(int index, int x, QLabel *bar);
    QWidget *BuildWelcomePage();
    QWidget *BuildDiscPage();
    QWidget *BuildVideoPage();
    QLabel *BuildControlPanel();
    QLayout *BuildSeekRow();
    QWidget *BuildControlBar();
    QPushButton *CreateImageButton(const QString &image, Handler slot);
    void BuildPlaylistTable();

    // Menu builders (ui/DRUIMenus.cpp).
    QMenu *BuildMenu(int index);
    QMenu *BuildFileMenu();
    QMenu *BuildControlsMenu();
    QMenu *BuildVideoMenu();
    QMenu *BuildAudioMenu();
    QMenu *BuildToolsMenu();
    QMenu *BuildHelpMenu();
    QMenu *BuildLanguageMenu();
    void RebuildRecentMenu();
    void DispatchMenu(const QMap<QString, Handler> &table, QAction *action);

    // Menu commands.
    void TogglePlaylist();
    void ShowPreferences();
    void TakeSnapshot();
    // Snapshots (engine/DRUISnapshot.cpp).
    void SaveSnapshot(const QByteArray &line);
    void SnapshotWritten(const SnapshotFiles::Outcome &outcome);
    void TellSnapshotFailure(const QString &place, const QString &message);
    void SwitchLanguage(const QString &name);
    void QuitEngine();
    void CloseDown();
    void PlayCommand();
    void ForwardCommand();
    void BackwardCommand();
    void VolumeUpCommand();
    void VolumeDownCommand();
    void HalfSize();
    void NormalSize();
    void DoubleSize();
    void FitToScreen();
    void PlaceOnScreen(const QSize &wanted);

    // The engine (engine/DRUIEngine.cpp).
    void ConnectEngine();
    void StartEngine();
    void HandleEngineLine(const QByteArray &line);
    void HandleLengthAnswer(const QByteArray &line);
    void EndOfPlayback();
    void RefreshTrackMenus();
    void EngineEndedByItself(bool failed);
    void EndOfMedium();
    void TellNotPlayed();
    bool DiscHasGone() const;
    void EngineFailedToStart();
    // Everything the window shows of the playback state follows from it here.
    void PlaybackStateChanged(PlaybackState state);

    // What plays when the user asks for it (engine/DRUIPlay.cpp).
    void AskToPlay(const PlayRequest &request);
    void CarryOut(const PlayOutcome &outcome);

    // Transport (engine/DRUITransport.cpp).
    void PausePlayback();
    void ResumePlayback();
    void Navigation();
    void SliderMouseLButtonPress(QObject *slider, QEvent *event);
    void SeekToSecond(int second);
    void Step(int direction);
    void JumpFromSlider(int (*target)(int sliderValue, int positionSeconds, qint64 lengthSeconds));
    void StepChapter(bool forward);
    void StepPlaylist(int step);
    void ShowVolumeImage();

    // Opening things (disc/DRUIDisc.cpp, disc/DRUIMediaFiles.cpp).
    void OpenDvdFolder(const QString &folder);
    void ShowDvdTitles();
    QList<quint32> PlayingChapters() const;
    void PlayDvdTitle(int number);
    void ConnectDiscReader();
    void ShowDiscBeingRead();
    void CancelDiscRead();
    void DiscReadEnded();
    void TakeDiscFolder(DiscKind kind, const BlurayDisc &disc, const BlurayTitleState &tables,
                        const QVariant &picture);
    void LoadBlurayTitles(const BlurayDisc &disc, const BlurayTitleState &tables, const DiscPictures &pictures);
    void ShowDiscMetadata();
    void ShowDiscPageAgain();
    QStringList ChapterNamesOf(const QString &title) const;
    QMenu *DiscPopup(QAction *entry);
    void MarkDiscChoice(QMenu *popup, QAction *chosen);
    void BuildDiscPopups(const BlurayDisc &disc);
    void FillTitleMenus();
    void MarkCurrentTitle();
    void MarkPlayingChapter(QMenu *chapters);
    QString DiscMainTitle() const;
    void ShowChaptersOfCurrentTitle();
    void OpenPlaylistEntry(const PLAY_LIST_INFO &entry);
    void PlayCurrentTitle();
    void AppendToPlaylist(const QList<PLAY_LIST_INFO> &entries);
    void ApplyDuration(const QString &file, const QString &duration);
    bool PlaylistHolds(const QString &path) const;
    void MarkPlayingEntry();

    // Recent files (ui/DRUIRecent.cpp).
    QString RecentFilesPath() const;
    void LoadRecentFiles();
    void AddRecentFile(const QString &path);
    void ClearRecentFiles();
    void OpenRecentFile(const QString &path);

    // Where the user stopped (ui/DRUIResume.cpp).
    QString ResumeStorePath() const;
    QString ResumeOffPath() const;
    void LoadResumeStore();
    void SetRememberPositions(bool on);
    void BeginResumeEntry(int titleNumber);
    const ResumeStore::Entry *RememberedFor(const QString &key) const;
    void SaveResumePosition(bool inBackground = false);
    void StoreResumeChange(const ResumeStore::Change &change, bool inBackground);
    void SaveResumePositionNowAndThen();
    void ForgetResumePosition();
    QString RecentEntryText(const QString &path) const;
    void ShowResumedSign(qint64 positionMs);
    void TakeDvd(const DvdDisc &dvd);
    void ApplyFileResume();
    void StartOver();
    void OfferDiscResume();
    void BuildEpisodeEntries();
    bool ChooseDiscExtra(QAction *action);
    void PlayEpisode(int index);
    bool PlayAllGoesOn(int step);
    void PlayDiscTitle(const BlurayTitle &title, qint64 startMs, int audio, int subtitle);

    // Media controls (ui/DRUIDesktop.cpp).
    void ConnectMediaControls();
    void PlayFromDesktop();
    void PauseFromDesktop();
    void PlayPauseFromDesktop();
    void NextFromDesktop();
    void PreviousFromDesktop();
    bool DiscPageWaits() const;
    void DescribeDisc(MediaSnapshot &now, bool bluray) const;

    // Window behaviour (ui/DRUIWindowEvents.cpp).
    void LeaveFullScreen();
    void RefreshMenuStates();
    void ShowWindowTitle();
    void ShowInfo(const QString &name);

    // Engine and playback state: the engine and where playback stands
    // belong to the session alone.
    EngineSession *engine = nullptr;
    PowerInhibitor *keepAwake = nullptr;
    QTimer *refreshTimer = nullptr;
    QString currentMediaPath;
    int mediaKind = MEDIA_BLURAY;
    qint64 mediaLengthSeconds = 0;
    qint64 reportedLengthSeconds = 0; // the engine's last length answer
    qint64 playClockMs = 0;
    int clockDisagreements = 0; // engine position answers in a row off the clock
    bool mediumOpened = false;  // the engine said it plays the medium
    QString mediumEncryption;   // what the engine said keeps a disc from opening
    QString positionText;
    int answerCount = 0;
    int seekTarget = 0;
    int audioTrackIndex = -1;
    int subtitleTrackIndex = -1;
    int audioTrackCount = 0;
    int subtitleTrackCount = 0;
    bool muted = false;
    bool fullScreen = false;
    QString snapshotFormat = QStringLiteral("JPG");
    int formatIndex = 0;
    SnapshotWriter *snapshotWriter = nullptr;
    CProcessUI *preferencesDialog = nullptr; // while it is open
    QString failedSnapshotFolder;            // the user was told it failed there
    FileChooser fileChooser;
    FolderChooser folderChooser;

    // Blu-ray title state, keyed by playlist path. The pick is what Play
    // plays; only the play decision changes it.
    TitlePick pick;
    BlurayTitleState discTitles;
    QList<BlurayTitle> titleOrder; // the disc's titles in disc page order
    // What the disc says of itself in the languages it has, and its pictures:
    // the page shows what fits the interface's language.
    struct DiscLanguages {
        QList<DiscLibraryMeta> libraries;
        QList<DiscChapterNames> chapterNames;
        DiscPictures pictures;
    } discLanguages;
    // The names of the discs shown in this session, by disc: the recent list's tooltips.
    QHash<QString, QString> recentDiscNames;
    // The DVD that plays: its titles and the one that plays (1 until another is chosen).
    QList<DvdTitle> dvdTitles;
    int dvdTitle = 1;
    bool dvdResumeArmed = false; // the DVD just opened goes on where it was left
    // The disc page's size, which the reading thread picks thumbnails for.
    std::shared_ptr<std::atomic<quint64>> discPageSize = std::make_shared<std::atomic<quint64>>(0);
    DiscReader *discReader = nullptr;
    QTimer *discReadNotice = nullptr; // says a slow read is going on
    bool discReadBusy = false;        // the busy pointer is ours to take back
    ProbeQueue *probes = nullptr; // the opened files' durations, never waited for
    QAction *currentDiscSubtitleAction = nullptr;
    QAction *currentDiscAudioAction = nullptr;
    QByteArray discIdentity; // of the disc on the disc page (DiscIdentity)

    // Where the user stopped.
    bool rememberPositions = true;
    ResumeStore::Entries resumeEntries;  // the store as last read or written
    ResumeStore::Entry playingResume;    // what plays, remembered by its key
    int resumeTicks = 0;
    // The saves made while playing are written here, one at a time, so that
    // a slow disk never stalls the window; every other change waits for them.
    QThreadPool *resumeWriter = nullptr;
    int resumeGeneration = 0; // of the last change asked for
    BlurayEpisodes discEpisodes;        // of the disc on the disc page
    QList<BlurayEpisode> playAllEpisodes; // while Play All goes through separate playlists
    int playAllAt = -1;                   // the episode that plays
    int resumedSigns = 0;

    // Widgets, recreated by every page build.
    QWidget *centralWidget = nullptr;
    QVBoxLayout *rootLayout = nullptr;
    QStackedLayout *rootStack = nullptr;
    QWidget *mainPage = nullptr;
    QStackedLayout *pageStack = nullptr;
    QLabel *menuBarLabel = nullptr;
    QLabel *titleLabel = nullptr;
    QLabel *discPage = nullptr;
    QLabel *discTitleLabel = nullptr;
    QMenu *discMenu = nullptr;
    QAction *discChapterAction = nullptr;
    QAction *discAudioAction = nullptr;
    QAction *discSubtitleAction = nullptr;
    QAction *discOtherTitlesAction = nullptr;
    QAction *discResumeAction = nullptr;   // hidden unless the disc has a place remembered
    QAction *discPlayAllAction = nullptr;  // hidden unless the disc holds episodes
    QAction *discEpisodesAction = nullptr; // likewise
    QPushButton *startOverButton = nullptr;
    QLabel *videoSurface = nullptr;
    QLabel *elapsedLabel = nullptr;
    QLabel *durationLabel = nullptr;
    QSlider *seekSlider = nullptr;
    QPushButton *playButton = nullptr;
    QPushButton *volumeButton = nullptr;
    QSlider *volumeSlider = nullptr;
    QLabel *infoLabel = nullptr;
    QLabel *controlPanel = nullptr;
    QTableWidget *playlistTable = nullptr;
    QList<QPushButton *> menuButtons;

    // Menus and the entries other subjects change.
    QMenu *fileMenu = nullptr;
    QAction *recentFilesAction = nullptr;
    QMenu *recentMenu = nullptr;
    QMenu *controlsMenu = nullptr;
    QAction *playAction = nullptr;
    QMenu *titleMenu = nullptr;
    QMenu *chapterMenu = nullptr;
    QMenu *videoMenu = nullptr;
    QMenu *videoTrackMenu = nullptr;
    QMenu *subtitleTrackMenu = nullptr;
    QMenu *audioMenu = nullptr;
    QMenu *audioTrackMenu = nullptr;
    QMenu *audioChannelMenu = nullptr;
    QMenu *toolsMenu = nullptr;
    QAction *snapshotAction = nullptr;
    QMenu *helpMenu = nullptr;
    QMenu *languageMenu = nullptr;
};
