#pragma once
// Menus and menu buttons as assistive technology (AT-SPI) sees them. Qt's accessibility tree
// reaches a popup menu only through a menu bar, a menu or a tool button that owns it, shows the
// widget of a QWidgetAction as an empty item, and gives a tool button with a menu beside its
// click only "show menu" actions.
class QAction;
class QToolButton;
class QWidget;

// Lists the context menus that are open over window (its panes' right-click menus) among its
// children, so that a screen reader walking the tree finds them while they are open.
void ListOpenMenus(QWidget* window);

// The button's first accessible action is its click, as for any button; opening its menu is the
// second.
void ExposeSplitButton(QToolButton* button);

// Shows entry, a widget drawn inside a menu for item, as a menu item of its own: its accessible
// name and description are the entry's, pressing it acts as clicking it, and a checkable item
// shows its tick as the checked state.
void ExposeMenuEntry(QWidget* entry, QAction* item);

// Marks entry (one of ExposeMenuEntry) as the current entry of its menu or not, and tells
// assistive technology when it becomes current, as a menu does when its highlight moves.
void SetCurrentMenuEntry(QWidget* entry, bool current);

// Closes every open menu, then triggers item, as a click on a menu item does.
void TriggerAsMenuClick(QAction* item);
