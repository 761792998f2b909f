#pragma once

#include "EngineDriver.h"

#include <QImage>
#include <QStringList>
#include <QWidget>

#include <memory>

// A native black video area like the main window's, and the full slave-mode
// command line for a medium drawn into it.
class VideoArea {
public:
    VideoArea();
    // Whether the X server came to show the area, all black, in time.
    bool Ready() const { return ready_; }
    qulonglong WindowId() const;
    QImage Grab() const;                    // what the X server shows there
    static int ChangedPercent(const QImage& before, const QImage& after);

private:
    std::unique_ptr<QWidget> widget_;
    bool ready_ = false;
};

QString PlayerProgram();
QString ToolProgram();

// Everything the main window passes before the medium.
QStringList EngineArguments(qulonglong windowId, const QString& screenshotFolder);
