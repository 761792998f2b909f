#include "ui/MenuEntries.h"

#include "lang/CLanguageMgr.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeySequence>
#include <QMenu>

QList<QAction *> AddMenuEntries(QMenu *menu, const QList<MenuEntry> &entries)
{
    QList<QAction *> actions;
    for (const MenuEntry &entry : entries) {
        QString text = Text(entry.textKey);
        if (entry.ellipsis)
            text += QStringLiteral("...");
        auto *action = new QAction(text, menu);
        action->setData(QString::fromLatin1(entry.data));
        if (entry.shortcut)
            action->setShortcut(QKeySequence(QCoreApplication::translate("DRUI", entry.shortcut)));
        action->setEnabled(entry.enabled);
        menu->addAction(action);
        actions.append(action);
    }
    return actions;
}

QMenu *AttachSubmenu(QAction *entry, QMenu *topLevel)
{
    auto *submenu = new QMenu(topLevel);
    entry->setMenu(submenu);
    return submenu;
}

void ClearMenu(QMenu *menu)
{
    const QList<QAction *> entries = menu->actions();
    for (QAction *entry : entries) {
        menu->removeAction(entry);
        entry->deleteLater();
    }
}
