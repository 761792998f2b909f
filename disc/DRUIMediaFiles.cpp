// Opening media files: the chooser, the duration probe and the playlist.
#include "ui/DRUI.h"

#include "app/DataFolderSetup.h"
#include "dialogs/CMessageBox.h"
#include "disc/ProbeDuration.h"
#include "disc/TimeText.h"
#include "lang/CLanguageMgr.h"

#include <QFileDialog>
#include <QFileInfo>

namespace {

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
    for (const QString &given : files) {
        // Absolute, so that no name is ever mistaken for an engine option.
        const QFileInfo info(given);
        if (info.exists())
            existing << info.absoluteFilePath();
    }
    if (existing.isEmpty()) {
        if (!files.isEmpty())
            CMessageBox::Inform(this, Text("Messages/MSG0106"));
        return;
    }
    QList<PLAY_LIST_INFO> entries;
    bool lastKnown = false;
    for (const QString &file : existing) {
        lastKnown = PlaylistHolds(file);
        PLAY_LIST_INFO entry;
        entry.kind = MEDIA_FILE;
        entry.path = file;
        entry.duration = ProbeDuration(ProbeToolCopy(dataFolder), file);
        entries.append(entry);
    }
    currentMediaPath = entries.first().path;
    mediaLengthSeconds = TimeTextSeconds(entries.first().duration);
    if (!lastKnown)
        AppendToPlaylist(entries);
    mediaKind = MEDIA_FILE;
    currentTitle.clear();
    VideoPlay();
}
