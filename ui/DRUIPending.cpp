// Commands whose behaviour comes with the preferences.
// Until then they are accepted and do nothing.
#include "ui/DRUI.h"

void DRUI::ShowPreferences() {}

