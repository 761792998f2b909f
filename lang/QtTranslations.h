#pragma once

#include <QString>

// Qt's own texts (the file and folder choosers, standard buttons, the names
// of keys in the menus) in the language of locale ("de", "zh_CN"), from the
// translations the system's Qt ships; English when there are none. A later
// call replaces the earlier language.
void UseQtTranslations(const QString &locale);
