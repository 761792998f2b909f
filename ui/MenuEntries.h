#pragma once

#include <QList>

class QAction;
class QMenu;

// One menu entry as data: the key of its text, the literal that identifies it
// whatever the language, its shortcut and whether it starts enabled.
struct MenuEntry
{
    const char *textKey;
    const char *data;
    const char *shortcut = nullptr;
    bool enabled = true;
    bool ellipsis = false; // "..." after the text: the entry opens a dialog
};

// Creates the entries in order, as children of the menu, and returns them.
QList<QAction *> AddMenuEntries(QMenu *menu, const QList<MenuEntry> &entries);
// A new submenu hung on entry. It belongs to the top-level menu, so that a
// rebuilt window leaves no menus of the old one behind.
QMenu *AttachSubmenu(QAction *entry, QMenu *topLevel);

// Empties a menu. The entries go once control is back in the event loop, so
// that an entry may empty the menu it was chosen from.
void ClearMenu(QMenu *menu);
