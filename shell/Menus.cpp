#include "shell/Menus.h"

#include <iterator>

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include "render/ViewState.h"
#include "scene/ValueColours.h"
#include "scene/TextDecoding.h"
#include "shell/RecentFiles.h"

namespace talan {

namespace {

// Menu texts are shown as written: '&' would otherwise mark a shortcut.
QString MenuLabel(const std::string& utf8) { return QString::fromStdString(utf8).replace('&', QStringLiteral("&&")); }

// An entry of `menu`, not yet in it, that calls `dispatch` with `command`, and can
// carry a check mark when `checkable`.
QAction* MakeEntry(QMenu* menu, const std::string& text, const Command& command, const CommandHandler& dispatch,
                   bool checkable) {
    auto* action = new QAction(MenuLabel(text), menu);
    action->setCheckable(checkable);
    QObject::connect(action, &QAction::triggered, action, [command, dispatch](bool) { dispatch(command); });
    return action;
}

// An object's entry, appended to `menu` when it next opens.
QAction* AddObjectEntry(MenuHandles& menus, QMenu* menu, const std::string& text, const Command& command,
                        const CommandHandler& dispatch) {
    QAction* action = MakeEntry(menu, text, command, dispatch, true);
    menus.entriesToAppend[menu].append(action);
    return action;
}

// A submenu of object entries: thousands of entries would be laid out in columns
// across the whole screen; taller than the screen, it scrolls instead.
void AppendEntriesWhenOpened(MenuHandles& menus, QMenu* menu) {
    menu->setStyleSheet(QStringLiteral("QMenu { menu-scrollable: 1; }"));
    // The submenu takes the entries made since it was last opened, all at once.
    QObject::connect(menu, &QMenu::aboutToShow, menu, [&menus, menu] {
        QList<QAction*>& entries = menus.entriesToAppend[menu];
        menu->addActions(entries);
        entries.clear();
    });
}

// The shortcut of a menu entry's key.
QKeySequence Shortcut(const KeyBinding& binding) {
    if (binding.desktopCopy) return QKeySequence::Copy;
    Qt::Key key = Qt::Key_unknown;
    switch (binding.stroke.key) {
        case Key::X: key = Qt::Key_X; break;
        case Key::Y: key = Qt::Key_Y; break;
        case Key::Z: key = Qt::Key_Z; break;
        case Key::L: key = Qt::Key_L; break;
        case Key::M: key = Qt::Key_M; break;
        case Key::C: key = Qt::Key_C; break;
        case Key::O: key = Qt::Key_O; break;
        case Key::Q: key = Qt::Key_Q; break;
        case Key::PageUp: key = Qt::Key_PageUp; break;
        case Key::PageDown: key = Qt::Key_PageDown; break;
        case Key::Plus: key = Qt::Key_Plus; break;
        case Key::Minus: key = Qt::Key_Minus; break;
        case Key::Backspace: key = Qt::Key_Backspace; break;
        case Key::F1: key = Qt::Key_F1; break;
        case Key::F9: key = Qt::Key_F9; break;
        case Key::Escape: key = Qt::Key_Escape; break;
        case Key::Return: key = Qt::Key_Return; break;
        case Key::Enter: key = Qt::Key_Enter; break;
        case Key::F10: key = Qt::Key_F10; break;
        case Key::F11: key = Qt::Key_F11; break;
        case Key::P: key = Qt::Key_P; break;
        case Key::N: key = Qt::Key_N; break;
        case Key::S: key = Qt::Key_S; break;
        case Key::E: key = Qt::Key_E; break;
        case Key::W: key = Qt::Key_W; break;
        case Key::Up: key = Qt::Key_Up; break;
        case Key::Down: key = Qt::Key_Down; break;
        case Key::Digit1:
        case Key::Digit2:
        case Key::Digit3:
        case Key::Digit4:
        case Key::Digit5:
        case Key::Digit6:
        case Key::Digit7:
        case Key::Digit8:
        case Key::Digit9:
            key = static_cast<Qt::Key>(Qt::Key_1 + (static_cast<int>(binding.stroke.key) - static_cast<int>(Key::Digit1)));
            break;
    }
    Qt::KeyboardModifiers modifiers;
    modifiers.setFlag(Qt::ControlModifier, binding.stroke.control);
    modifiers.setFlag(Qt::ShiftModifier, binding.stroke.shift);
    modifiers.setFlag(Qt::AltModifier, binding.stroke.alt);
    return QKeySequence(QKeyCombination(modifiers, key));
}

// A fixed entry with its key, if it has one (the keys are CommandNames.cpp's).
QAction* AddFixedEntry(QMenu* menu, MenuHandles& menus, const char* text, int32_t id, const CommandHandler& dispatch,
                       bool checkable = false) {
    QAction* action = MakeEntry(menu, text, Command::Fixed(id), dispatch, checkable);
    if (const KeyBinding* key = KeyOfCommand(id)) action->setShortcut(Shortcut(*key));
    menu->addAction(action);
    action->setData(id);
    menus.actions[id] = action;
    return action;
}

// After the View menu's first entries: the section slab with its keys, measuring, and
// copying what the last click or measurement gave.
void AddSectionEntries(MenuHandles& menus, const MenuTexts& t, const CommandHandler& dispatch) {
    menus.viewMenu->addSeparator();
    menus.sectionSubmenu = menus.viewMenu->addMenu(MenuLabel(t.section));
    QMenu* section = menus.sectionSubmenu;
    for (int axis = 0; axis < 3; ++axis) {
        AddFixedEntry(section, menus, t.sectionAxis[axis], kCommandSectionX + axis, dispatch, true);

    }
    section->addSeparator();
    AddFixedEntry(section, menus, t.sectionForward, kCommandSectionForward, dispatch);
    AddFixedEntry(section, menus, t.sectionBack, kCommandSectionBack, dispatch);
    AddFixedEntry(section, menus, t.sectionThicker, kCommandSectionThicker, dispatch);
    AddFixedEntry(section, menus, t.sectionThinner, kCommandSectionThinner, dispatch);
    AddFixedEntry(section, menus, t.sectionRemove, kCommandSectionRemove, dispatch);
    section->addSeparator();
    AddFixedEntry(section, menus, t.lookAlong, kCommandLookAlongSection, dispatch);
    AddFixedEntry(menus.viewMenu, menus, t.measure, kCommandMeasure, dispatch, true);
    AddFixedEntry(menus.viewMenu, menus, t.copyResult, kCommandCopyResult, dispatch);
}

// The View menu's last submenu: the vertical exaggeration, a step up or down, or one
// of the steps, the factor drawn checked.
void AddExaggerationEntries(MenuHandles& menus, const MenuTexts& t, const CommandHandler& dispatch) {
    QMenu* exaggeration = menus.viewMenu->addMenu(MenuLabel(t.exaggeration));
    AddFixedEntry(exaggeration, menus, t.exaggerationUp, kCommandExaggerationUp, dispatch);
    AddFixedEntry(exaggeration, menus, t.exaggerationDown, kCommandExaggerationDown, dispatch);
    exaggeration->addSeparator();
    for (size_t i = 0; i < std::size(kExaggerationSteps); ++i) {
        const std::string label = FormatText(t.exaggerationFactor, static_cast<double>(kExaggerationSteps[i]));
        AddFixedEntry(exaggeration, menus, label.c_str(), kCommandExaggeration1 + static_cast<int32_t>(i), dispatch,
                      true);
    }
}

// After the exaggeration: the saved views, one entry per slot that brings it back,
// then a submenu of entries that save the view in a slot. The host labels the slots
// as they are when the submenu opens.
void AddSavedViewEntries(MenuHandles& menus, const MenuTexts& t, const CommandHandler& dispatch) {
    menus.savedViewsSubmenu = menus.viewMenu->addMenu(MenuLabel(t.savedViews));
    QMenu* save = new QMenu(MenuLabel(t.saveView), menus.savedViewsSubmenu);
    for (int32_t k = 0; k < kSavedViewSlots; ++k) {
        const std::string number = std::to_string(k + 1);
        AddFixedEntry(menus.savedViewsSubmenu, menus, number.c_str(), kCommandRestoreView1 + k, dispatch);
        AddFixedEntry(save, menus, number.c_str(), kCommandSaveView1 + k, dispatch);
    }
    menus.savedViewsSubmenu->addSeparator();
    menus.savedViewsSubmenu->addMenu(save);
}

// After the overlay: "Colour by", with the entry of the objects' own colours, one
// entry per value the scene's objects carry (the host names them, and hides the rest,
// when the submenu opens), and the colour maps.
void AddColourEntries(MenuHandles& menus, const MenuTexts& t, const CommandHandler& dispatch) {
    menus.colourBySubmenu = menus.viewMenu->addMenu(MenuLabel(t.colourBy));
    QMenu* colourBy = menus.colourBySubmenu;
    AddFixedEntry(colourBy, menus, t.ownColours, kCommandOwnColours, dispatch, true);
    colourBy->addSeparator();
    for (int32_t k = 0; k < kColourByValueEntries; ++k) {
        AddFixedEntry(colourBy, menus, "", kCommandColourByValue1 + k, dispatch, true)->setVisible(false);
    }
    colourBy->addSeparator();
    QMenu* maps = colourBy->addMenu(MenuLabel(t.colourMap));
    for (int32_t k = 0; k < kColourMapCount; ++k) {
        AddFixedEntry(maps, menus, ColourMapName(static_cast<ColourMap>(k)), kCommandColourMap1 + k, dispatch, true);
    }
}

}  // namespace

void BuildMenuBar(QMenuBar* menuBar, const MenuTexts& t, MenuHandles& menus, const CommandHandler& dispatch) {
    menus.menuBar = menuBar;
    menus.fileMenu = menuBar->addMenu(MenuLabel(t.file));
    AddFixedEntry(menus.fileMenu, menus, t.newScene, kCommandNew, dispatch);
    AddFixedEntry(menus.fileMenu, menus, t.openAdd, kCommandOpenAdd, dispatch);
    AddFixedEntry(menus.fileMenu, menus, t.smoothOnOpen, kCommandSmoothOnOpen, dispatch, true);
    menus.endSeparator = menus.fileMenu->addSeparator();
    AddFixedEntry(menus.fileMenu, menus, t.end, kCommandEnd, dispatch);

    // The kind submenus, in the menu's order: T3, Blocks, Surfaces, Lines, Points, D.Holes.
    menus.objectsMenu = menuBar->addMenu(MenuLabel(t.objects));
    for (ObjectKind kind : {ObjectKind::T3, ObjectKind::BLKKDX, ObjectKind::SUP, ObjectKind::LIN, ObjectKind::PTS,
                            ObjectKind::SONKDX}) {
        menus.kindSubmenu[static_cast<size_t>(kind)] = menus.objectsMenu->addMenu(MenuLabel(t.kinds[static_cast<int>(kind)]));
        AppendEntriesWhenOpened(menus, menus.kindSubmenu[static_cast<size_t>(kind)]);
    }

    menus.viewMenu = menuBar->addMenu(MenuLabel(t.view));
    AddFixedEntry(menus.viewMenu, menus, t.smoothActives, kCommandSmoothActives, dispatch);
    menus.transparentSubmenu = menus.viewMenu->addMenu(MenuLabel(t.transparent));
    AppendEntriesWhenOpened(menus, menus.transparentSubmenu);
    menus.viewMenu->addSeparator();
    AddFixedEntry(menus.viewMenu, menus, t.solidFace, kCommandSolidFace, dispatch, true);
    menus.viewMenu->addSeparator();
    AddFixedEntry(menus.viewMenu, menus, t.autoTurn, kCommandAutoTurn, dispatch, true);
    menus.viewMenu->addSeparator();
    AddFixedEntry(menus.viewMenu, menus, t.frontFace, kCommandFrontFace, dispatch, true);
    AddFixedEntry(menus.viewMenu, menus, t.backFace, kCommandBackFace, dispatch, true);
    menus.viewMenu->addSeparator();
    AddFixedEntry(menus.viewMenu, menus, t.objectsPanel, kCommandObjectsPanel, dispatch, true);
    AddFixedEntry(menus.viewMenu, menus, t.overlay, kCommandOverlay, dispatch, true);
    AddColourEntries(menus, t, dispatch);
    menus.viewMenu->addSeparator();
    QMenu* views = menus.viewMenu->addMenu(MenuLabel(t.standardViews));
    for (int k = 0; k < 5; ++k) AddFixedEntry(views, menus, t.standardView[k], kCommandPlanView + k, dispatch);
    AddSectionEntries(menus, t, dispatch);
    AddExaggerationEntries(menus, t, dispatch);
    AddSavedViewEntries(menus, t, dispatch);
    menus.viewMenu->addSeparator();
    AddFixedEntry(menus.viewMenu, menus, t.followChanges, kCommandFollowChanges, dispatch, true);

    menus.setupMenu = menuBar->addMenu(MenuLabel(t.setup));
    AddFixedEntry(menus.setupMenu, menus, t.backColour, kCommandBackColour, dispatch);
    menus.languageMenu = menus.setupMenu->addMenu(MenuLabel(t.language));
    AddFixedEntry(menus.setupMenu, menus, t.antialiased, kCommandAntialiased, dispatch, true);
    AddFixedEntry(menus.languageMenu, menus, t.spanish, kCommandSpanish, dispatch, true);
    AddFixedEntry(menus.languageMenu, menus, t.english, kCommandEnglish, dispatch, true);

    menus.helpMenu = menuBar->addMenu(MenuLabel(t.help));
    AddFixedEntry(menus.helpMenu, menus, t.helpEntry, kCommandHelp, dispatch);
    AddFixedEntry(menus.helpMenu, menus, t.about, kCommandAbout, dispatch);
}

QAction* ObjectEntry(const MenuHandles& menus, ObjectFlag flag, int32_t object) {
    const std::vector<QAction*>& entries =
        flag == ObjectFlag::Visible ? menus.objectEntries : menus.transparencyEntries;
    return object >= 0 && static_cast<size_t>(object) < entries.size() ? entries[static_cast<size_t>(object)]
                                                                         : nullptr;
}

void AddObjectEntries(MenuHandles& menus, ObjectKind kind, std::string_view rawName, int32_t object,
                      const CommandHandler& dispatch) {
    if (object < 0) return;
    const std::string label = DecodeNameForDisplay(rawName);
    const auto k = static_cast<size_t>(object);
    if (menus.objectEntries.size() <= k) {
        menus.objectEntries.resize(k + 1, nullptr);
        menus.transparencyEntries.resize(k + 1, nullptr);
    }
    menus.objectEntries[k] = AddObjectEntry(menus, menus.kindSubmenu[static_cast<size_t>(kind)], label,
                                            Command::OfObject(ObjectFlag::Visible, object), dispatch);
    if (KindHasTransparencyEntry(kind)) {
        menus.transparencyEntries[k] = AddObjectEntry(menus, menus.transparentSubmenu, label,
                                                      Command::OfObject(ObjectFlag::Transparent, object), dispatch);
    }
}

void ShowRecentFiles(MenuHandles& menus, const std::vector<std::string>& recent, const CommandHandler& dispatch) {
    for (QAction* entry : menus.recentEntries) delete entry;
    menus.recentEntries.clear();
    if (recent.empty()) return;
    auto* separator = new QAction(menus.fileMenu);
    separator->setSeparator(true);
    menus.fileMenu->insertAction(menus.endSeparator, separator);
    menus.recentEntries.push_back(separator);
    for (size_t k = 0; k < recent.size() && k < kRecentFileCount; ++k) {
        const int32_t id = kCommandRecentFile + static_cast<int32_t>(k);
        QAction* entry = MakeEntry(menus.fileMenu, std::to_string(k + 1) + " " + recent[k], Command::Fixed(id), dispatch,
                                   false);
        entry->setData(id);
        menus.fileMenu->insertAction(menus.endSeparator, entry);
        menus.recentEntries.push_back(entry);
    }
}

void RemoveObjectEntries(MenuHandles& menus) {
    // A deleted action leaves every menu that held it.
    for (QAction* action : menus.objectEntries) delete action;
    for (QAction* action : menus.transparencyEntries) delete action;
    menus.objectEntries.clear();
    menus.transparencyEntries.clear();
    menus.entriesToAppend.clear();
}

}  // namespace talan
