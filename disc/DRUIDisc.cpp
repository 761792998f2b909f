// Opening a disc folder: what it holds, the DVD played at once, the Blu-ray
// read off the window's thread onto the disc page, and the disc page's choices.
#include "ui/DRUI.h"

#include "ui/MenuEntries.h"
#include "ui/Styles.h"

#include "dialogs/CMessageBox.h"
#include "disc/DiscDetection.h"
#include "disc/DiscReader.h"
#include "disc/TimeText.h"
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

#include <utility>

namespace {

// Frees value on a pool thread: freeing a disc of thousands of titles takes
// milliseconds the window need not wait for.
template <typename T>
void FreeOffThread(T &&value)
{
    QThreadPool::globalInstance()->start([gone = std::move(value)] {});
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

void DRUI::OpenDiscFolder(const QString &folder)
{
    if (folder.isNull())
        return;
    StopBtn();
    CancelDiscRead();
    // Absolute and without a trailing "/", so that the playlist, the recent
    // list and the engine all name it alike.
    const QString disc = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    switch (DetectDiscKind(disc)) {
    case DiscKind::Bluray:
        LoadBlurayTitles(disc);
        break;
    case DiscKind::Dvd:
        OpenDvdFolder(disc);
        break;
    case DiscKind::None:
        CMessageBox::Inform(this, Text("Messages/MSG0102"));
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

void DRUI::LoadBlurayTitles(const QString &folder)
{
    ShowInfo(Text("MainWnd/ReadingDisc"));
    if (!QApplication::overrideCursor())
        QApplication::setOverrideCursor(Qt::BusyCursor);
    discReader->read(folder);
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
    if (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    if (!engine->isActive())
        ShowInfo(QString());
}

void DRUI::ShowBlurayDisc(const BlurayDisc &disc, const BlurayTitleState &tables)
{
    DiscReadEnded();
    discTitleLabel->setText(disc.name);
    // No picture, not a picture, or one outside the disc's metadata: empty.
    discPage->setPixmap(QPixmap(disc.thumbnailPath));
    FreeOffThread(discTitles.take(tables));
    if (disc.titles.isEmpty()) {
        currentTitle.clear();
        return;
    }
    currentTitle = disc.titles.first().playlistPath;
    // The disc page's Play (and the desktop's) plays this disc, not the file
    // that played before it.
    mediaKind = MEDIA_BLURAY;
    BuildDiscPopups(disc);
    pageStack->setCurrentIndex(1);
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

QMenu *DRUI::NewDiscPopup(QAction *entry)
{
    // Every disc gets popups of its own; those of the last one go.
    if (QMenu *old = entry->menu()) {
        entry->setMenu(nullptr);
        old->deleteLater();
    }
    auto *popup = new QMenu(discMenu);
    popup->setWindowFlags(popup->windowFlags() | Qt::FramelessWindowHint);
    popup->setAttribute(Qt::WA_TranslucentBackground);
    popup->setStyleSheet(QString::fromLatin1(Styles::DiscPopup));
    popup->setFont(Styles::Calibri(20, true));
    popup->setPalette(Styles::WhiteText());
    entry->setMenu(popup);
    return popup;
}

void DRUI::BuildDiscPopups(const BlurayDisc &disc)
{
    const auto addStreams = [](QMenu *popup, QMenu *mirror, const QList<STREAM_INFO> &streams) {
        for (int k = 1; k <= streams.size(); ++k) {
            const QString &text = streams[k - 1].description;
            popup->addAction(text)->setData(k);
            mirror->addAction(text)->setData(k);
        }
    };

    QMenu *subtitles = NewDiscPopup(discSubtitleAction);
    ClearMenu(subtitleTrackMenu);
    currentDiscSubtitleAction = nullptr;
    if (!discTitles.subtitles[currentTitle].isEmpty()) {
        currentDiscSubtitleAction = subtitles->addAction(QStringLiteral("Disable"));
        currentDiscSubtitleAction->setData(0);
        subtitles->setActiveAction(currentDiscSubtitleAction);
        MarkDiscChoice(subtitles, currentDiscSubtitleAction);
        QAction *disable = subtitleTrackMenu->addAction(QStringLiteral("Disable"));
        disable->setData(0);
        disable->setCheckable(true);
        disable->setChecked(true);
        addStreams(subtitles, subtitleTrackMenu, discTitles.subtitles[currentTitle]);
    }

    QMenu *audio = NewDiscPopup(discAudioAction);
    ClearMenu(audioTrackMenu);
    currentDiscAudioAction = nullptr;
    if (!discTitles.audio[currentTitle].isEmpty()) {
        audio->addAction(QStringLiteral("Disable"))->setData(0);
        audioTrackMenu->addAction(QStringLiteral("Disable"))->setData(0);
        addStreams(audio, audioTrackMenu, discTitles.audio[currentTitle]);
        currentDiscAudioAction = audio->actions().at(1);
        audio->setActiveAction(currentDiscAudioAction);
        MarkDiscChoice(audio, currentDiscAudioAction);
        audioTrackMenu->actions().at(1)->setCheckable(true);
        audioTrackMenu->actions().at(1)->setChecked(true);
    }

    // Chapters and titles: one entry shown in two menus.
    QMenu *chapters = NewDiscPopup(discChapterAction);
    ClearMenu(chapterMenu);
    const QList<quint32> starts = discTitles.chapters[currentTitle];
    for (int k = 1; k <= starts.size(); ++k) {
        auto *chapter = new QAction(QString::number(k) + QStringLiteral(". ")
                                        + FormatSeconds(starts[k - 1] / 1000), chapters);
        chapter->setData(qint64(starts[k - 1]));
        chapters->addAction(chapter);
        chapterMenu->addAction(chapter);
    }
    // A disc may hold thousands of titles: their entries are made when one
    // of their two menus is first opened, not while the page comes up.
    FreeOffThread(std::exchange(titleOrder, disc.titles));
    QMenu *titles = NewDiscPopup(discOtherTitlesAction);
    connect(titles, &QMenu::aboutToShow, this, &DRUI::FillTitleMenus);
    ClearMenu(titleMenu);
}

void DRUI::FillTitleMenus()
{
    QMenu *titles = discOtherTitlesAction ? discOtherTitlesAction->menu() : nullptr;
    if (!titles || !titles->isEmpty())
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
}

void DRUI::BDMenuOperate(QAction *action)
{
    titleChosen = false;
    const QObjectList shownIn = action->associatedObjects();
    const auto in = [&shownIn](QAction *entry) { return entry->menu() && shownIn.contains(entry->menu()); };
    if (in(discSubtitleAction)) {
        discSubtitleAction->menu()->setActiveAction(action);
        MarkDiscChoice(discSubtitleAction->menu(), action);
        currentDiscSubtitleAction = action;
        discTitles.subtitleChoice[currentTitle] = action->data().toInt();
        return;
    }
    if (in(discAudioAction)) {
        discAudioAction->menu()->setActiveAction(action);
        MarkDiscChoice(discAudioAction->menu(), action);
        currentDiscAudioAction = action;
        discTitles.audioChoice[currentTitle] = action->data().toInt();
        return;
    }
    startSeconds = 0;
    if (in(discChapterAction)) {
        startSeconds = int(action->data().toLongLong() / 1000);
    } else if (in(discOtherTitlesAction)) {
        currentTitle = action->data().value<PLAY_LIST_INFO>().path;
        titleChosen = true;
    }
    PlayCurrentTitle();
}

void DRUI::PlayCurrentTitle()
{
    if (currentTitle.isEmpty())
        return;
    const QString disc = discTitles.discRoot.value(currentTitle, currentTitle);
    const PLAY_LIST_INFO entry{MEDIA_BLURAY, disc, FormatSeconds(discTitles.lengthSeconds(currentTitle))};
    if (!PlaylistHolds(disc))
        AppendToPlaylist({entry});
    engine->stop(); // a fresh start, even of the disc that plays now
    currentMediaPath = disc;
    mediaLengthSeconds = TimeTextSeconds(entry.duration);
    mediaKind = MEDIA_BLURAY;
    VideoPlay();
}
