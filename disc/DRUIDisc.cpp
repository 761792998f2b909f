// Opening a disc folder: what it holds, the DVD played at once, the Blu-ray
// read off the window's thread onto the disc page, and the disc page's choices.
#include "ui/DRUI.h"

#include "ui/MenuEntries.h"
#include "ui/StreamLabels.h"
#include "ui/Styles.h"

#include "dialogs/CMessageBox.h"
#include "disc/DirectoryListing.h"
#include "disc/DiscDetection.h"
#include "disc/DiscFiles.h"
#include "disc/DiscMetaXml.h"
#include "disc/DiscPicture.h"
#include "disc/DiscReader.h"
#include "disc/DvdTitleList.h"
#include "disc/TimeText.h"
#include "engine/TransportMath.h"
#include "lang/CLanguageMgr.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QStackedLayout>
#include <QThreadPool>
#include <QTimer>

#include <utility>

namespace {

// Holds a value until the window's queue reaches it, then hands it to a
// pool thread to be freed there.
template <typename T>
class PoolRelease final : public QEvent
{
public:
    explicit PoolRelease(T &&value) : QEvent(Type()), value_(std::move(value)) {}
    // Delivered or discarded with its receiver, the value goes to the pool.
    ~PoolRelease() override
    {
        QThreadPool::globalInstance()->start([last = std::move(value_)] {});
    }

private:
    static QEvent::Type Type()
    {
        static const auto type = QEvent::Type(QEvent::registerEventType());
        return type;
    }
    T value_;
};

// Frees value on a pool thread once the window has done what waits in its
// queue, the drawing of the page the disc brings included (the toolkit
// queues it at low priority; this comes after it): freeing a disc of
// thousands of titles takes milliseconds, and beside the drawing it would
// slow that down on a machine of few cores.
template <typename T>
void FreeOffThread(QObject *window, T value)
{
    QCoreApplication::postEvent(window, new PoolRelease<T>(std::move(value)),
                                Qt::LowEventPriority - 1);
}

// "3. 00:12:40", and the chapter's name after it when the disc names it.
QAction *ChapterEntry(int k, quint32 startMs, const QString &name, QObject *owner)
{
    QString text = QString::number(k) + QStringLiteral(". ") + FormatSeconds(startMs / 1000);
    if (!name.isEmpty())
        text += QStringLiteral("  ") + name;
    auto *chapter = new QAction(text, owner);
    chapter->setData(qint64(startMs));
    return chapter;
}

} // namespace

QString ChooseDiscFolder(QWidget *parent)
{
    return QFileDialog::getExistingDirectory(parent, QString(), QString(),
                                             QFileDialog::ShowDirsOnly);
}

void DRUI::btnLoadBDPath()
{
    const QString folder = folderChooser ? folderChooser(this) : ChooseDiscFolder(this);
    OpenDiscFolder(folder);
}

// Images are files, which the folder chooser does not offer: they have a chooser of their own.
void DRUI::btnLoadDiscImage()
{
    const QString image = QFileDialog::getOpenFileName(this, QString(), QString(),
                                                       QStringLiteral("*.iso *.ISO"));
    if (!image.isEmpty())
        OpenDiscFolder(image);
}

// A folder or a disc image: both are read the same way (DiscFiles).
void DRUI::OpenDiscFolder(const QString &folder)
{
    if (folder.isNull())
        return;
    StopBtn();
    CancelDiscRead();
    // Absolute and without a trailing "/", so that the playlist, the recent
    // list and the engine all name it alike.
    const QString disc = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    // What the folder holds is looked at with the read, off this thread:
    // even listing a disc that has to spin up first takes seconds.
    discReadNotice->start();
    const QSize page = discPage ? discPage->size() : QSize();
    discPageSize->store((quint64(quint32(page.width())) << 32) | quint32(page.height()));
    discReader->read(disc);
}

void DRUI::TakeDiscFolder(DiscKind kind, const BlurayDisc &disc, const BlurayTitleState &tables,
                          const QVariant &picture)
{
    DiscReadEnded();
    switch (kind) {
    case DiscKind::Bluray:
        LoadBlurayTitles(disc, tables, picture.value<DiscPictures>());
        break;
    case DiscKind::Dvd:
        TakeDvd(picture.value<DvdDisc>());
        OpenDvdFolder(disc.folder);
        break;
    case DiscKind::None:
        CMessageBox::Inform(this, Text(IsDiscImageName(disc.folder) ? "Messages/MSG0111" : "Messages/MSG0102"));
        break;
    }
}

void DRUI::OpenDvdFolder(const QString &folder)
{
    if (!PlaylistHolds(folder))
        AppendToPlaylist({PLAY_LIST_INFO{MEDIA_DVD, folder, QString()}});
    engine->stop(); // a fresh start, even of the DVD that plays now
    currentMediaPath = folder;
    mediaLengthSeconds = 0;
    mediaKind = MEDIA_DVD;
    VideoPlay();
}

// Controls > Title offers the DVD's titles, the one that plays marked, and
// Controls > Chapter the chapters of that title.
void DRUI::ShowDvdTitles()
{
    ClearMenu(titleMenu);
    ClearMenu(chapterMenu);
    for (const DvdTitle &title : dvdTitles) {
        QAction *entry = titleMenu->addAction(QString::number(title.number) + QStringLiteral(". ")
                                              + FormatSeconds(title.seconds));
        entry->setData(title.number);
        entry->setCheckable(true);
        entry->setChecked(title.number == dvdTitle);
    }
    const QList<quint32> starts = PlayingChapters();
    for (int k = 1; k <= starts.size(); ++k)
        chapterMenu->addAction(ChapterEntry(k, starts[k - 1], QString(), chapterMenu));
}

void DRUI::PlayDvdTitle(int number)
{
    dvdTitle = number;
    dvdResumeArmed = false;
    engine->stop(); // a fresh start, even of the title that plays now
    mediaLengthSeconds = 0;
    for (const DvdTitle &title : dvdTitles) {
        if (title.number == number)
            mediaLengthSeconds = title.seconds;
    }
    mediaKind = MEDIA_DVD;
    VideoPlay();
}

// The chapter starts (ms) of what plays: the Blu-ray title's or the DVD title's.
QList<quint32> DRUI::PlayingChapters() const
{
    if (mediaKind == MEDIA_DVD) {
        for (const DvdTitle &title : dvdTitles) {
            if (title.number == dvdTitle)
                return title.chapters;
        }
        return {};
    }
    const BlurayTitleEntry *title = discTitles.find(pick.currentTitle);
    return title ? title->chapters : QList<quint32>();
}

void DRUI::ConnectDiscReader()
{
    // The pictures are more files of the disc, read and decoded with it.
    discReader = new DiscReader(this, [pageSize = discPageSize](DiscKind kind, const BlurayDisc &disc,
                                                                const DiscFiles &files) {
        if (kind == DiscKind::Dvd)
            return QVariant::fromValue(ReadDvdDisc(files.Location()));
        const quint64 packed = pageSize->load();
        const QSize page(int(packed >> 32), int(packed & 0xFFFFFFFFu));
        return QVariant::fromValue(LoadDiscPictures(disc, files, page));
    });
    connect(discReader, &DiscReader::finished, this, &DRUI::TakeDiscFolder);
    // A disc read from memory comes up in milliseconds, and a notice flashed
    // for that long only flickers; a drive spinning up takes seconds.
    constexpr int NoticeAfterMs = 200;
    discReadNotice = new QTimer(this);
    discReadNotice->setSingleShot(true);
    discReadNotice->setInterval(NoticeAfterMs);
    connect(discReadNotice, &QTimer::timeout, this, &DRUI::ShowDiscBeingRead);
}

void DRUI::ShowDiscBeingRead()
{
    ShowInfo(Text("MainWnd/ReadingDisc"));
    if (!std::exchange(discReadBusy, true))
        QApplication::setOverrideCursor(Qt::BusyCursor);
}

void DRUI::CancelDiscRead()
{
    if (!discReader->isReading())
        return;
    discReader->cancel();
    DiscReadEnded();
}

void DRUI::DiscReadEnded()
{
    discReadNotice->stop();
    if (std::exchange(discReadBusy, false))
        QApplication::restoreOverrideCursor();
    if (!engine->isActive())
        ShowInfo(QString());
}

void DRUI::LoadBlurayTitles(const BlurayDisc &disc, const BlurayTitleState &tables, const DiscPictures &pictures)
{
    // This copy outlives the one the reader hands over, so the disc's
    // thousands of playlist entries are freed on the pool, not here.
    FreeOffThread(this, disc);
    discLanguages = {disc.libraries, disc.chapterNames, pictures};
    discIdentity = disc.identity;
    ShowDiscMetadata();
    if (!discTitleLabel->text().isEmpty())
        recentDiscNames.insert(disc.folder, discTitleLabel->text());
    FreeOffThread(this, discTitles.take(tables));
    discEpisodes = disc.episodes;
    discResumeAction->setVisible(false);
    discPlayAllAction->setVisible(false);
    discEpisodesAction->setVisible(false);
    if (disc.titles.isEmpty()) {
        FreeOffThread(this, std::exchange(titleOrder, {}));
        AskToPlay(PlayRequest{PlayAsk::NewMedium});
        return;
    }
    // The disc page's Play (and the desktop's) plays this disc's main title,
    // not the file or the title that played before it.
    AskToPlay(PlayRequest{PlayAsk::NewMedium, disc.titles.first().playlistPath});
    mediaKind = MEDIA_BLURAY;
    BuildDiscPopups(disc);
    BuildEpisodeEntries();
    OfferDiscResume();
    pageStack->setCurrentIndex(1);
}

// The disc's name and picture in the interface's language, as far as the
// disc has them (ChooseMetaLanguage).
void DRUI::ShowDiscMetadata()
{
    QStringList languages;
    for (const DiscLibraryMeta &library : discLanguages.libraries)
        languages << library.language;
    const int chosen = ChooseMetaLanguage(languages, MetaLanguageCode(CLanguageMgr::Instance().GetCurrentLocale()));
    const DiscLibraryMeta *library = chosen < 0 ? nullptr : &discLanguages.libraries[chosen];
    discTitleLabel->setText(library ? library->name : QString());
    // No picture, not a picture, or one outside the disc's metadata: empty.
    discPage->setPixmap(library ? QPixmap::fromImage(discLanguages.pictures.value(library->language)) : QPixmap());
}

// After the language changed, the disc page that showed shows again, in the new language.
void DRUI::ShowDiscPageAgain()
{
    ShowDiscMetadata();
    BlurayDisc disc;
    disc.titles = titleOrder;
    BuildDiscPopups(disc);
    pageStack->setCurrentIndex(1);
}

// The names the disc gives the title's chapters, in the interface's language.
QStringList DRUI::ChapterNamesOf(const QString &title) const
{
    const int playlist = EntryName(title).section(QLatin1Char('.'), 0, 0).toInt();
    return ChapterNamesFor(discLanguages.chapterNames, playlist,
                           MetaLanguageCode(CLanguageMgr::Instance().GetCurrentLocale()));
}

// The active entry is the choice, but a highlight alone does not show on
// every desktop: the choice is checked too.
void DRUI::MarkDiscChoice(QMenu *popup, QAction *chosen)
{
    for (QAction *entry : popup->actions()) {
        entry->setCheckable(true);
        entry->setChecked(entry == chosen);
    }
}

QMenu *DRUI::DiscPopup(QAction *entry)
{
    // Made once per page and emptied for each disc.
    if (QMenu *popup = entry->menu()) {
        ClearMenu(popup);
        return popup;
    }
    // The look comes from the disc menu's style sheet.
    auto *popup = new QMenu(discMenu);
    popup->setObjectName(QStringLiteral("discPopup"));
    popup->setWindowFlags(popup->windowFlags() | Qt::FramelessWindowHint);
    popup->setAttribute(Qt::WA_TranslucentBackground);
    popup->setFont(Styles::Calibri(20, true));
    popup->setPalette(Styles::WhiteText());
    entry->setMenu(popup);
    if (entry == discOtherTitlesAction)
        connect(popup, &QMenu::aboutToShow, this, &DRUI::FillTitleMenus);
    if (entry == discChapterAction)
        connect(popup, &QMenu::aboutToShow, this, [this, popup] { MarkPlayingChapter(popup); });
    return popup;
}

void DRUI::BuildDiscPopups(const BlurayDisc &disc)
{
    const ChannelWords words{Text("MainWnd/ChannelsMono"), Text("MainWnd/ChannelsStereo"),
                             Text("MainWnd/ChannelsMulti")};
    const QString locale = CLanguageMgr::Instance().GetCurrentLocale();
    const auto addStreams = [&](QMenu *popup, QMenu *mirror, const QList<STREAM_INFO> &streams) {
        const QStringList labels = StreamLabels(streams, popup == discAudioAction->menu(), locale, words);
        for (int k = 1; k <= streams.size(); ++k) {
            const QString &text = labels[k - 1];
            popup->addAction(text)->setData(k);
            mirror->addAction(text)->setData(k);
        }
    };

    const BlurayTitleEntry *known = discTitles.find(pick.currentTitle);
    const BlurayTitleEntry title = known ? *known : BlurayTitleEntry();
    QMenu *subtitles = DiscPopup(discSubtitleAction);
    ClearMenu(subtitleTrackMenu);
    currentDiscSubtitleAction = nullptr;
    if (!title.subtitles.isEmpty()) {
        currentDiscSubtitleAction = subtitles->addAction(Text("MainWnd/Disable"));
        currentDiscSubtitleAction->setData(0);
        subtitles->setActiveAction(currentDiscSubtitleAction);
        MarkDiscChoice(subtitles, currentDiscSubtitleAction);
        QAction *disable = subtitleTrackMenu->addAction(Text("MainWnd/Disable"));
        disable->setData(0);
        disable->setCheckable(true);
        disable->setChecked(true);
        addStreams(subtitles, subtitleTrackMenu, title.subtitles);
    }

    QMenu *audio = DiscPopup(discAudioAction);
    ClearMenu(audioTrackMenu);
    currentDiscAudioAction = nullptr;
    if (!title.audio.isEmpty()) {
        audio->addAction(Text("MainWnd/Disable"))->setData(0);
        audioTrackMenu->addAction(Text("MainWnd/Disable"))->setData(0);
        addStreams(audio, audioTrackMenu, title.audio);
        currentDiscAudioAction = audio->actions().at(1);
        audio->setActiveAction(currentDiscAudioAction);
        MarkDiscChoice(audio, currentDiscAudioAction);
        audioTrackMenu->actions().at(1)->setCheckable(true);
        audioTrackMenu->actions().at(1)->setChecked(true);
    }

    // Chapters and titles: one entry shown in two menus.
    QMenu *chapters = DiscPopup(discChapterAction);
    ClearMenu(chapterMenu);
    const QList<quint32> &starts = title.chapters;
    const QStringList names = ChapterNamesOf(pick.currentTitle);
    for (int k = 1; k <= starts.size(); ++k) {
        QAction *chapter = ChapterEntry(k, starts[k - 1], names.value(k - 1), chapters);
        chapters->addAction(chapter);
        chapterMenu->addAction(chapter);
    }
    // A disc may hold thousands of titles: their entries are made when one
    // of their two menus is first opened, not while the page comes up.
    FreeOffThread(this, std::exchange(titleOrder, disc.titles));
    DiscPopup(discOtherTitlesAction);
    ClearMenu(titleMenu);
}

void DRUI::FillTitleMenus()
{
    QMenu *titles = discOtherTitlesAction ? discOtherTitlesAction->menu() : nullptr;
    if (!titles || !titles->isEmpty() || mediaKind == MEDIA_DVD)
        return;
    QList<QAction *> entries;
    for (int k = 1; k <= titleOrder.size(); ++k) {
        const BlurayTitle &title = titleOrder[k - 1];
        auto *entry = new QAction(QString::number(k) + QStringLiteral(". ") + title.durationText, titles);
        entry->setData(QVariant::fromValue(PLAY_LIST_INFO{MEDIA_BLURAY, title.playlistPath, title.durationText}));
        entries.append(entry);
    }
    titles->addActions(entries);
    titleMenu->addActions(entries);
    MarkCurrentTitle();
}

// Both title menus show which title plays, or played last, or plays next
// (the main title, until another is chosen).
void DRUI::MarkCurrentTitle()
{
    QMenu *titles = discOtherTitlesAction->menu();
    if (!titles)
        return;
    QAction *current = nullptr;
    for (QAction *entry : titles->actions()) {
        if (entry->data().value<PLAY_LIST_INFO>().path == pick.currentTitle)
            current = entry;
    }
    MarkDiscChoice(titles, current);
}

// The title the disc page's popups describe and its Play Movie plays; none
// once a disc without titles was loaded.
QString DRUI::DiscMainTitle() const
{
    return titleOrder.isEmpty() ? QString() : titleOrder.first().playlistPath;
}

// The Controls menu offers the chapters of the title that plays: the disc
// page's own entries for the main title, entries of its own for another.
void DRUI::ShowChaptersOfCurrentTitle()
{
    for (QAction *entry : chapterMenu->actions()) {
        chapterMenu->removeAction(entry);
        if (entry->parent() == chapterMenu)
            entry->deleteLater();
    }
    if (pick.currentTitle == DiscMainTitle() && discChapterAction->menu()) {
        chapterMenu->addActions(discChapterAction->menu()->actions());
        return;
    }
    const BlurayTitleEntry *title = discTitles.find(pick.currentTitle);
    const QList<quint32> starts = title ? title->chapters : QList<quint32>();
    const QStringList names = ChapterNamesOf(pick.currentTitle);
    for (int k = 1; k <= starts.size(); ++k)
        chapterMenu->addAction(ChapterEntry(k, starts[k - 1], names.value(k - 1), chapterMenu));
}

// A chapter menu, as it opens, marks the chapter that plays; none while no
// title plays (the disc page's popup shares its entries with the Controls
// menu, and a mark left from the last title would mislead there).
void DRUI::MarkPlayingChapter(QMenu *chapters)
{
    const QList<quint32> starts = PlayingChapters();
    const bool plays = engine->isActive() && mediaKind != MEDIA_FILE && !starts.isEmpty();
    const int at = plays ? ChapterAt(starts, positionText.toInt()) : -1;
    const QList<QAction *> entries = chapters->actions();
    MarkDiscChoice(chapters, at >= 0 && at < entries.size() ? entries[at] : nullptr);
}

void DRUI::BDMenuOperate(QAction *action)
{
    if (ChooseDiscExtra(action))
        return;
    // The popups list the main title's streams and chapters, and Play Movie
    // and a chapter play the main title ("br://0"), also after another title
    // played: the choices are the main title's.
    const QString mainTitle = DiscMainTitle();
    const QObjectList shownIn = action->associatedObjects();
    const auto in = [&shownIn](QAction *entry) { return entry->menu() && shownIn.contains(entry->menu()); };
    if (in(discSubtitleAction)) {
        discSubtitleAction->menu()->setActiveAction(action);
        MarkDiscChoice(discSubtitleAction->menu(), action);
        currentDiscSubtitleAction = action;
        if (BlurayTitleEntry *title = discTitles.find(mainTitle))
            title->subtitleChoice = action->data().toInt();
        return;
    }
    if (in(discAudioAction)) {
        discAudioAction->menu()->setActiveAction(action);
        MarkDiscChoice(discAudioAction->menu(), action);
        currentDiscAudioAction = action;
        if (BlurayTitleEntry *title = discTitles.find(mainTitle))
            title->audioChoice = action->data().toInt();
        return;
    }
    if (in(discChapterAction))
        AskToPlay(PlayRequest{PlayAsk::Chapter, QString(), int(action->data().toLongLong() / 1000)});
    else if (in(discOtherTitlesAction))
        AskToPlay(PlayRequest{PlayAsk::Title, action->data().value<PLAY_LIST_INFO>().path});
    else
        AskToPlay(PlayRequest{PlayAsk::PlayMovie});
}

// Plays the pick: what the window knows of the title (length, chapters to
// step through) becomes that title's.
void DRUI::PlayCurrentTitle()
{
    const QString &currentTitle = pick.currentTitle;
    if (currentTitle.isEmpty())
        return;
    const BlurayTitleEntry *title = discTitles.find(currentTitle);
    const QString disc = title ? title->discRoot : currentTitle;
    const PLAY_LIST_INFO entry{MEDIA_BLURAY, disc, FormatSeconds(discTitles.lengthSeconds(currentTitle))};
    if (!PlaylistHolds(disc))
        AppendToPlaylist({entry});
    SaveResumePosition();
    engine->stop(); // a fresh start, even of the disc that plays now
    currentMediaPath = disc;
    mediaLengthSeconds = TimeTextSeconds(entry.duration);
    mediaKind = MEDIA_BLURAY;
    ShowChaptersOfCurrentTitle();
    MarkCurrentTitle();
    VideoPlay();
}
