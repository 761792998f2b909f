// Commands whose behaviour comes with the disc page and the preferences.
// Until then they are accepted and do nothing.
#include "ui/DRUI.h"

void DRUI::btnLoadBDPath() {}
void DRUI::BDMenuOperate(QAction *) {}
void DRUI::ShowPreferences() {}
void DRUI::OpenDiscFolder(const QString &) {}
void DRUI::PlayCurrentTitle() {}
