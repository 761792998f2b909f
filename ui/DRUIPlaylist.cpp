// The playlist panel beside the pages.
#include "ui/DRUI.h"

#include "lang/CLanguageMgr.h"
#include "ui/Styles.h"

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
