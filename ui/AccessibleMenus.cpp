#include "AccessibleMenus.h"

#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QToolButton>
#include <QWidgetAction>

namespace {

// What the factory recognises a marked widget by.
constexpr char kListsOpenMenus[] = "zefraListsOpenMenus";
constexpr char kSplitButton[] = "zefraSplitButton";
constexpr char kMenuEntryItem[] = "zefraMenuEntryItem";
constexpr char kCurrentMenuEntry[] = "zefraCurrentMenuEntry";

QAccessibleInterface* Accessible(QObject* object) {
  return object ? QAccessible::queryAccessibleInterface(object) : nullptr;
}

// A window whose children include the context menus open over it.
class TWindowAccessible : public QAccessibleWidget {
 public:
  using QAccessibleWidget::QAccessibleWidget;

  int childCount() const override {
    return QAccessibleWidget::childCount() + int(OpenMenus().size());
  }
  QAccessibleInterface* child(int index) const override {
    const int own = QAccessibleWidget::childCount();
    if (index < own) return QAccessibleWidget::child(index);
    const QList<QMenu*> menus = OpenMenus();
    return index - own < menus.size() ? Accessible(menus[index - own]) : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    if (const int own = QAccessibleWidget::indexOfChild(child); own >= 0) return own;
    const int k = child ? int(OpenMenus().indexOf(child->object())) : -1;
    return k < 0 ? -1 : QAccessibleWidget::childCount() + k;
  }

 private:
  // Submenus are reached through their items, a button's menu through its button.
  QList<QMenu*> OpenMenus() const {
    QList<QMenu*> menus;
    for (QWidget* top : QApplication::topLevelWidgets()) {
      auto* menu = qobject_cast<QMenu*>(top);
      if (!menu || !menu->isVisible() || !menu->parentWidget()) continue;
      if (qobject_cast<QMenu*>(menu->parentWidget())) continue;
      const auto* button = qobject_cast<QToolButton*>(menu->parentWidget());
      if (button && button->menu() == menu) continue;
      if (menu->parentWidget()->window() == widget()) menus << menu;
    }
    return menus;
  }
};

// A tool button that acts on a click and offers further choices in its menu.
class TSplitButtonAccessible : public QAccessibleWidget {
 public:
  explicit TSplitButtonAccessible(QToolButton* button)
      : QAccessibleWidget(button, QAccessible::PushButton) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name && Button()->accessibleName().isEmpty())
      return Button()->text().remove(QLatin1Char('&'));
    return QAccessibleWidget::text(t);
  }
  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.hasPopup = Button()->menu() != nullptr;
    state.pressed = Button()->isDown();
    return state;
  }
  int childCount() const override { return Button()->menu() ? 1 : 0; }
  QAccessibleInterface* child(int index) const override {
    return index == 0 ? Accessible(Button()->menu()) : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    return child && Button()->menu() && child->object() == Button()->menu() ? 0 : -1;
  }
  QStringList actionNames() const override {
    return QStringList{pressAction(), showMenuAction()} + QAccessibleWidget::actionNames();
  }
  void doAction(const QString& name) override {
    // Both come back at once: the copy may ask a question, and the menu runs its own loop.
    if (name == pressAction())
      Button()->animateClick();
    else if (name == showMenuAction())
      QMetaObject::invokeMethod(Button(), &QToolButton::showMenu, Qt::QueuedConnection);
    else
      QAccessibleWidget::doAction(name);
  }

 private:
  QToolButton* Button() const { return static_cast<QToolButton*>(widget()); }
};

// The widget of a QWidgetAction in a menu stands where the item would.
class TWidgetActionAccessible : public QAccessibleObject {
 public:
  explicit TWidgetActionAccessible(QWidgetAction* action) : QAccessibleObject(action) {}

  QAccessibleInterface* parent() const override {
    for (QObject* container : Action()->associatedObjects())
      if (qobject_cast<QMenu*>(container)) return Accessible(container);
    return Accessible(Action()->parent());
  }
  int childCount() const override { return Shown() ? Shown()->childCount() : 0; }
  QAccessibleInterface* child(int index) const override {
    return Shown() ? Shown()->child(index) : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    return Shown() ? Shown()->indexOfChild(child) : -1;
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    return Shown() ? Shown()->childAt(x, y) : nullptr;
  }
  QString text(QAccessible::Text t) const override {
    return Shown() ? Shown()->text(t) : QString();
  }
  QAccessible::Role role() const override {
    return Shown() ? Shown()->role() : QAccessible::MenuItem;
  }
  QAccessible::State state() const override {
    QAccessible::State state;
    if (Shown()) state = Shown()->state();
    state.invisible = state.invisible || !Action()->isVisible();
    return state;
  }
  QRect rect() const override { return Shown() ? Shown()->rect() : QRect(); }

 private:
  QWidgetAction* Action() const { return static_cast<QWidgetAction*>(object()); }
  QAccessibleInterface* Shown() const { return Accessible(Action()->defaultWidget()); }
};

// A widget drawn inside a menu for one item.
class TMenuEntryAccessible : public QAccessibleWidget {
 public:
  TMenuEntryAccessible(QWidget* entry, QAction* item)
      : QAccessibleWidget(entry, QAccessible::MenuItem), item_(item) {}

  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.disabled = !item_ || !item_->isEnabled();
    state.checkable = item_ && item_->isCheckable();
    state.checked = item_ && item_->isChecked();
    state.focusable = true;
    state.focused = state.selected = widget()->property(kCurrentMenuEntry).toBool();
    return state;
  }
  QStringList actionNames() const override { return {pressAction()}; }
  void doAction(const QString& name) override {
    if (name != pressAction() || !item_ || !item_->isEnabled()) return;
    // After the call returns: the item may change the menus the caller is reading.
    QMetaObject::invokeMethod(
        item_, [item = item_] { TriggerAsMenuClick(item); }, Qt::QueuedConnection);
  }

 private:
  QPointer<QAction> item_;
};

QAccessibleInterface* Factory(const QString&, QObject* object) {
  if (auto* action = qobject_cast<QWidgetAction*>(object))
    return action->defaultWidget() ? new TWidgetActionAccessible(action) : nullptr;
  if (!object || !object->isWidgetType()) return nullptr;
  auto* widget = static_cast<QWidget*>(object);
  if (widget->property(kListsOpenMenus).toBool()) return new TWindowAccessible(widget);
  if (widget->property(kSplitButton).toBool())
    return new TSplitButtonAccessible(static_cast<QToolButton*>(widget));
  if (auto* item = qobject_cast<QAction*>(widget->property(kMenuEntryItem).value<QObject*>()))
    return new TMenuEntryAccessible(widget, item);
  return nullptr;
}

void InstallFactory() {
  static const bool installed = (QAccessible::installFactory(Factory), true);
  (void)installed;
}

}  // namespace

void ListOpenMenus(QWidget* window) {
  InstallFactory();
  window->setProperty(kListsOpenMenus, true);
}

void ExposeSplitButton(QToolButton* button) {
  InstallFactory();
  button->setProperty(kSplitButton, true);
}

void ExposeMenuEntry(QWidget* entry, QAction* item) {
  InstallFactory();
  entry->setProperty(kMenuEntryItem, QVariant::fromValue<QObject*>(item));
}

void SetCurrentMenuEntry(QWidget* entry, bool current) {
  entry->setProperty(kCurrentMenuEntry, current);
  QAccessible::State changed;
  changed.focused = changed.selected = true;
  QAccessibleStateChangeEvent stateChange(entry, changed);
  QAccessible::updateAccessibility(&stateChange);
  if (!current) return;
  QAccessibleEvent focus(entry, QAccessible::Focus);
  QAccessible::updateAccessibility(&focus);
}

void TriggerAsMenuClick(QAction* item) {
  while (QWidget* popup = QApplication::activePopupWidget())
    if (!popup->close()) break;
  item->trigger();
}
