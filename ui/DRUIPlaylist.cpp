// The playlist panel beside the pages.
#include "ui/DRUI.h"

#include "lang/CLanguageMgr.h"
#include "ui/Styles.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QTableWidget>

void DRUI::BuildPlaylistTable()
{
    playlistTable = new QTableWidget;
    playlistTable->setObjectName(QStringLiteral("playlistTable"));
    playlistTable->setColumnCount(1);
    playlistTable->setColumnWidth(0, 200);
    playlistTable->setHorizontalHeaderLabels({Text("MainWnd/FileName")});
    playlistTable->horizontalHeader()->setStretchLastSection(true);
    playlistTable->horizontalHeader()->setMaximumHeight(0);
    playlistTable->horizontalHeader()->setHighlightSections(false);
    playlistTable->verticalHeader()->hide();
    playlistTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    playlistTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    playlistTable->setMouseTracking(true);
    playlistTable->setStyleSheet(QString::fromLatin1(Styles::Playlist));
    connect(playlistTable, &QTableWidget::cellDoubleClicked, this, &DRUI::PlayListItemDoubleClick);
}

void DRUI::TogglePlaylist()
{
    playlistTable->setVisible(playlistTable->isHidden());
}

namespace {

QString RowText(const QString &path)
{
    // A drive or disc root has no file name of its own.
    return QStringLiteral("    ") + (path.size() <= 4 ? path : QFileInfo(path).fileName());
}

} // namespace

void DRUI::AppendToPlaylist(const QList<PLAY_LIST_INFO> &entries)
{
    if (entries.isEmpty())
        return;
    int row = playlistTable->rowCount();
    playlistTable->setRowCount(row + int(entries.size()));
    for (const PLAY_LIST_INFO &entry : entries) {
        auto *item = new QTableWidgetItem(RowText(entry.path));
        item->setFont(Styles::Calibri(10, false));
        item->setForeground(Qt::white);
        item->setData(Qt::UserRole, QVariant::fromValue(entry));
        playlistTable->setItem(row, 0, item);
        playlistTable->setRowHeight(row, 20);
        playlist.append(entry);
        ++row;
    }
}

bool DRUI::PlaylistHolds(const QString &path) const
{
    return std::any_of(playlist.begin(), playlist.end(),
                       [&path](const PLAY_LIST_INFO &e) { return e.path == path; });
}

void DRUI::MarkPlayingEntry()
{
    for (int row = 0; row < playlist.size() && row < playlistTable->rowCount(); ++row) {
        QTableWidgetItem *item = playlistTable->item(row, 0);
        if (!item)
            continue;
        const bool current = playlist[row].path == currentMediaPath;
        item->setIcon(current ? QIcon(QStringLiteral(":/image/playstatus.png")) : QIcon());
        if (current) {
            playlistTable->selectRow(row);
            playlistTable->setFocus();
        }
    }
}

void DRUI::PlayListItemDoubleClick(int row, int column)
{
    const QTableWidgetItem *item = playlistTable->item(row, column);
    if (!item)
        return;
    const PLAY_LIST_INFO entry = item->data(Qt::UserRole).value<PLAY_LIST_INFO>();
    StopBtn();
    OpenPlaylistEntry(entry);
}

void DRUI::OpenPlaylistEntry(const PLAY_LIST_INFO &entry)
{
    if (entry.kind == MEDIA_FILE)
        OpenMediaFiles({entry.path});
    else
        OpenDiscFolder(entry.path);
}
