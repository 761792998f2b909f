// Commands whose behaviour comes with playback, the disc page and the
// preferences. Until then they are accepted and do nothing.
#include "ui/DRUI.h"

void DRUI::btnOpenFile() {}
void DRUI::btnLoadBDPath() {}
void DRUI::VideoPlay() {}
void DRUI::PlayPre() {}
void DRUI::PlayNext() {}
void DRUI::VolumeBtn() {}
void DRUI::VolumeSliderSeek(int) {}
void DRUI::FullScreenBtn() {}
void DRUI::SliderPress() {}
void DRUI::SliderSeek(int) {}
void DRUI::SliderRelease() {}
void DRUI::DoRefreshGui() {}
void DRUI::PlayListItemDoubleClick(int, int) {}
void DRUI::BDMenuOperate(QAction *) {}
void DRUI::ShowPreferences() {}
void DRUI::TakeSnapshot() {}
