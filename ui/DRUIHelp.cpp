// The Help menu: outward links and the language switch.
#include "ui/DRUI.h"

#include "dialogs/CMessageBox.h"
#include "dialogs/WebLinks.h"
#include "lang/CLanguageMgr.h"

#include <QAction>
#include <QDesktopServices>
#include <QMenu>
#include <QUrl>

void DRUI::BDHelpMenu(QAction *action)
{
    static const QMap<QString, Handler> table = {
        {QStringLiteral("Help"), &DRUI::btnHelpSlot},
        {QStringLiteral("Support"), &DRUI::btnSupportSlot},
    };
    const QString data = action->data().toString();
    if (table.contains(data))
        DispatchMenu(table, action);
    else if (action->parent() == static_cast<QObject *>(languageMenu))
        SwitchLanguage(data);
}

void DRUI::SwitchLanguage(const QString &name)
{
    const bool kept = CLanguageMgr::Instance().SetLanguage(name);
    StopBtn();
    // The menu that asked for the switch is part of the tree being rebuilt:
    // let its signal finish before the old tree goes.
    QMetaObject::invokeMethod(this, [this, kept] {
        BuildPages();
        TellMissingLanguageFile();
        if (!kept)
            CMessageBox::Inform(this, Text("Messages/MSG0602").arg(CLanguageMgr::Instance().userConfigFile()));
    }, Qt::QueuedConnection);
}

void DRUI::TellMissingLanguageFile()
{
    const QString missing = CLanguageMgr::Instance().missingLanguageFile();
    if (!missing.isEmpty())
        CMessageBox::Inform(this, Text("Messages/MSG0601").arg(missing));
}

void DRUI::btnHelpSlot()
{
    btnOpenUrl(WebLinks::Instance().helpPage());
}

void DRUI::btnSupportSlot()
{
    btnOpenUrl(WebLinks::Instance().contactPage());
}

void DRUI::btnAboutSlot()
{
    btnOpenUrl(WebLinks::Instance().aboutPage());
}

void DRUI::btnOpenUrl(const QString &url)
{
    QDesktopServices::openUrl(QUrl(url));
}
