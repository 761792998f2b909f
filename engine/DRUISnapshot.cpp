// Snapshots: asking the engine for one, saving it where and how the user
// wants it, and the preferences that say where and how.
#include "ui/DRUI.h"

#include "dialogs/CMessageBox.h"
#include "dialogs/CProcessUI.h"
#include "engine/EngineCommand.h"
#include "engine/EngineSession.h"
#include "engine/SnapshotFiles.h"
#include "engine/SnapshotFolder.h"
#include "engine/SnapshotWriter.h"
#include "lang/CLanguageMgr.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QFileInfo>
#include <QPointer>
#include <QUrl>

void DRUI::TakeSnapshot()
{
    if (!engine->isActive())
        return;
    // The engine puts its picture into the data folder first; where it
    // cannot (read-only, full), it would fail without a word.
    if (!SnapshotFiles::CanWriteIn(dataFolder)) {
        TellSnapshotFailure(dataFolder, Text("Messages/MSG0305").arg(dataFolder));
        return;
    }
    // Written by the engine in the chosen format where it can, so that the
    // snapshot only has to be moved into place.
    engine->sendKeepingPause(EngineCommand::ScreenshotFormat,
                             SnapshotFiles::WriterFor(snapshotFormat).engineFormat);
    engine->sendKeepingPause(EngineCommand::Screenshot);
}

void DRUI::TellSnapshotFailure(const QString &place, const QString &message)
{
    // Said once: more failures in the same place stay quiet until a
    // snapshot is saved again.
    if (place == failedSnapshotFolder)
        return;
    failedSnapshotFolder = place;
    CMessageBox::Inform(this, message);
}

void DRUI::SaveSnapshot(const QByteArray &line)
{
    const QString shot = SnapshotFiles::EngineShot(line, dataFolder);
    if (shot.isEmpty())
        return; // nothing of the engine's in our data folder: not ours to touch
    if (!snapshotWriter) {
        snapshotWriter = new SnapshotWriter(this);
        connect(snapshotWriter, &SnapshotWriter::written, this, &DRUI::SnapshotWritten);
    }
    // Named for the moment it was announced, converted off the window's thread.
    snapshotWriter->save({shot, SnapshotFolder::Read(dataFolder), snapshotFormat,
                          QDateTime::currentDateTime()});
}

void DRUI::SnapshotWritten(const SnapshotFiles::Outcome &outcome)
{
    const QString &folder = outcome.job.folder;
    if (outcome.failure == SnapshotFiles::Failure::None) {
        failedSnapshotFolder.clear();
        return;
    }
    // A picture that cannot be read (cut short on a full disk) is no
    // picture kept anywhere: the message must not say it is.
    if (outcome.failure == SnapshotFiles::Failure::Image) {
        TellSnapshotFailure(folder, Text("Messages/MSG0304").arg(dataFolder));
        return;
    }
    const QString keptIn = QFileInfo(outcome.job.engineFile).absolutePath();
    TellSnapshotFailure(folder, Text("Messages/MSG0301").arg(folder, keptIn));
}

void DRUI::btnOpenSnapshotFolder()
{
    const QString folder = SnapshotFolder::Read(dataFolder);
    if (!SnapshotFolder::Make(folder)) {
        CMessageBox::Inform(this, Text("Messages/MSG0303").arg(folder));
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

void DRUI::ShowPreferences()
{
    if (preferencesDialog) {
        // Already open: bring it back rather than open a second one.
        preferencesDialog->showNormal();
        preferencesDialog->raise();
        preferencesDialog->activateWindow();
        return;
    }
    CProcessUI dialog;
    dialog.formatIndex = formatIndex;
    dialog.rememberPositions = rememberPositions;
    dialog.BuildUi();
    preferencesDialog = &dialog;
    const QPointer<DRUI> alive(this);
    dialog.exec();
    if (!alive)
        return;
    preferencesDialog = nullptr;
    if (dialog.result == 0) {
        formatIndex = dialog.formatIndex;
        snapshotFormat = dialog.formatText();
        SetRememberPositions(dialog.rememberPositions);
    }
}
