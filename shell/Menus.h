// The menu bar, in the texts of one language, and the per-object entries that every
// load adds.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include <QList>

#include "scene/SceneModel.h"
#include "shell/CommandIds.h"
#include "shell/CommandNames.h"
#include "shell/Texts.h"

class QAction;
class QMenu;
class QMenuBar;

namespace talan {

struct MenuHandles {
    QMenuBar* menuBar = nullptr;
    QMenu* fileMenu = nullptr;
    QMenu* objectsMenu = nullptr;
    std::array<QMenu*, kObjectKindCount> kindSubmenu{};  // indexed by ObjectKind
    QMenu* viewMenu = nullptr;
    QMenu* transparentSubmenu = nullptr;
    QMenu* sectionSubmenu = nullptr;
    QMenu* savedViewsSubmenu = nullptr;
    QMenu* colourBySubmenu = nullptr;     // its value entries show the scene's values when it opens
    QMenu* setupMenu = nullptr;
    QMenu* languageMenu = nullptr;
    QMenu* helpMenu = nullptr;
    std::map<int32_t, QAction*> actions;  // the fixed command entries by identifier
    std::vector<QAction*> objectEntries;  // per object: its entry in its kind's submenu
    std::vector<QAction*> transparencyEntries;  // per object: its Transparent entry, or nullptr
    // Object entries made since their submenu was last opened, in load order; they join
    // it when it opens (appending entries one by one scans the menu's entries each time).
    std::map<QMenu*, QList<QAction*>> entriesToAppend;
    QAction* endSeparator = nullptr;      // the File menu's separator before End
    std::vector<QAction*> recentEntries;  // the entries of the files opened last, and their separator
};

// Fills `menuBar` with the menus in both languages' order, each fixed action carrying
// its identifier; `dispatch` is called with the entry's command when it is chosen.
// The entries that switch something can carry a check mark; the caller sets the
// marks from the records (ShowCheckMarks).
void BuildMenuBar(QMenuBar* menuBar, const MenuTexts& texts, MenuHandles& menus, const CommandHandler& dispatch);

// The entry of one flag of object `object`, or nullptr when it has none.
QAction* ObjectEntry(const MenuHandles& menus, ObjectFlag flag, int32_t object);

// Appends the entries of object `object`, which can carry check marks: one in its
// kind's submenu and, for T3 and block models, one in the Transparent submenu. They
// are in their submenus from the moment one opens.
void AddObjectEntries(MenuHandles& menus, ObjectKind kind, std::string_view rawName, int32_t object,
                      const CommandHandler& dispatch);

// Removes every per-object entry, as New does before the reset.
void RemoveObjectEntries(MenuHandles& menus);

// Puts the files of `recent` (newest first) in the File menu before End, numbered from
// 1, after a separator of their own; none, and no separator, for an empty list.
void ShowRecentFiles(MenuHandles& menus, const std::vector<std::string>& recent, const CommandHandler& dispatch);

}  // namespace talan
