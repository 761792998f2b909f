// Opening media files: the chooser, the duration probe and the playlist.
#include "ui/DRUI.h"

#include "app/DataFolderSetup.h"
#include "dialogs/CMessageBox.h"
#include "disc/ProbeQueue.h"
#include "disc/TimeText.h"
#include "lang/CLanguageMgr.h"

#include <QFileDialog>

#include <algorithm>
#include <QFileInfo>
#include <QSlider>
#include <QTableWidget>

namespace {

// About what an engine takes to its first frame on a machine with work to do.
constexpr int EngineHeadStartMs = 400;

const char *const MediaFilter =
    "*.rmvb *.rm *.mpeg *.mov *.avi *.wmv *.asf *.mp4 *.flv *.fla *.swf *.m4v *.3gp *.dv "
    "*.3g2 *.m4b *.mkv *.mts *.divx *.ogm *.moi *.vob *.ajp *.f4v *.mqv *.svi *.vid *.tod "
    "*.hdmov *.mod *.mxf *.m2ts *.lrv ;;All File(*.*)";

} // namespace

QStringList ChooseMediaFiles(QWidget *parent)
{
    return QFileDialog::getOpenFileNames(parent, QString(), QStringLiteral("."),
                                         QString::fromLatin1(MediaFilter));
}

void DRUI::btnOpenFile()
{
    const QStringList files = fileChooser ? fileChooser(this) : ChooseMediaFiles(this);
    OpenMediaFiles(files);
}

void DRUI::OpenMediaFiles(const QStringList &files)
{
    QStringList existing;
    bool unplayable = false;
    for (const QString &given : files) {
        // Absolute, so that no name is ever mistaken for an engine option.
        const QFileInfo info(given);
        // A FIFO, device or socket would leave the engine waiting for ever.
        if (info.exists() && !info.isFile())
            unplayable = true;
        else if (info.exists())
            existing << info.absoluteFilePath();
    }
    CancelDiscRead();
    if (unplayable)
        CMessageBox::Inform(this, Text("Messages/MSG0105"));
    if (existing.isEmpty()) {
        if (!files.isEmpty() && !unplayable)
            CMessageBox::Inform(this, Text("Messages/MSG0106"));
        return;
    }
    // Each file not yet listed joins the playlist, in the order given.
    QList<PLAY_LIST_INFO> entries;
    for (const QString &file : existing) {
        const auto listed = [&file](const PLAY_LIST_INFO &e) { return e.path == file; };
        if (PlaylistHolds(file) || std::any_of(entries.cbegin(), entries.cend(), listed))
            continue;
        PLAY_LIST_INFO entry;
        entry.kind = MEDIA_FILE;
        entry.path = file;
        entries.append(entry);
    }
    const bool sameMedium = existing.first() == engine->medium();
    currentMediaPath = existing.first();
    if (!sameMedium)
        mediaLengthSeconds = 0;
    AppendToPlaylist(entries);
    mediaKind = MEDIA_FILE;
    AskToPlay(PlayRequest{PlayAsk::NewMedium});
    // The engine starts first and the files are probed while it opens the
    // first one, so the probes cost no time before the first frame. The
    // probes run beside the window, the first file's ahead of the others and
    // of any still waiting from earlier openings, which finish afterwards:
    // their entries are in the playlist and get their durations all the same.
    VideoPlay();
    // Nor any processor time: an engine that starts has it first, while it
    // loads and opens the medium.
    if (engine->medium() == existing.first() && !sameMedium)
        probes->holdFor(EngineHeadStartMs);
    probes->setProgram(ProbeToolCopy(dataFolder));
    probes->probe(existing);
}

void DRUI::ApplyDuration(const QString &file, const QString &duration)
{
    for (int row = 0; row < playlist.size(); ++row) {
        if (playlist[row].path != file)
            continue;
        playlist[row].duration = duration;
        if (QTableWidgetItem *item = playlistTable->item(row, 0))
            item->setData(Qt::UserRole, QVariant::fromValue(playlist[row]));
    }
    if (file != currentMediaPath)
        return;
    mediaLengthSeconds = TimeTextSeconds(duration);
    if (engine->medium() == file)
        seekSlider->setRange(0, int(mediaLengthSeconds));
}
