// Before Qt: the accessibility library's GLib headers use names that Qt defines as macros.
#include "WindowTargetsX11.h"

#include <atspi/atspi.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <array>
#include <cstring>
#include <deque>
#include <map>
#include <optional>
#include <utility>

// After Qt: Xlib defines macros (KeyPress, Bool, None) that clash with Qt's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace WindowTargets {

namespace {

// The class names of the standard controls that match a role.
struct TRoleClass {
  AtspiRole Role;
  const char* ClassName;
};

constexpr std::array<TRoleClass, 25> kRoleClasses = {{
    {ATSPI_ROLE_PUSH_BUTTON, "BUTTON"},
    {ATSPI_ROLE_TOGGLE_BUTTON, "BUTTON"},
    {ATSPI_ROLE_CHECK_BOX, "BUTTON"},
    {ATSPI_ROLE_RADIO_BUTTON, "BUTTON"},
    {ATSPI_ROLE_COMBO_BOX, "COMBOBOX"},
    {ATSPI_ROLE_LIST, "LISTBOX"},
    {ATSPI_ROLE_LIST_BOX, "LISTBOX"},
    {ATSPI_ROLE_LIST_ITEM, "LISTBOX"},
    {ATSPI_ROLE_SCROLL_BAR, "SCROLLBAR"},
    {ATSPI_ROLE_LABEL, "STATIC"},
    {ATSPI_ROLE_STATIC, "STATIC"},
    {ATSPI_ROLE_ICON, "STATIC"},
    {ATSPI_ROLE_IMAGE, "STATIC"},
    {ATSPI_ROLE_TOOL_BAR, "TOOLBAR"},
    {ATSPI_ROLE_MENU, "MENU"},
    {ATSPI_ROLE_MENU_BAR, "MENU"},
    {ATSPI_ROLE_MENU_ITEM, "MENU"},
    {ATSPI_ROLE_POPUP_MENU, "MENU"},
    {ATSPI_ROLE_CHECK_MENU_ITEM, "MENU"},
    {ATSPI_ROLE_RADIO_MENU_ITEM, "MENU"},
    {ATSPI_ROLE_TEAROFF_MENU_ITEM, "MENU"},
    {ATSPI_ROLE_TEXT, "EDIT"},
    {ATSPI_ROLE_ENTRY, "EDIT"},
    {ATSPI_ROLE_PASSWORD_TEXT, "EDIT"},
    {ATSPI_ROLE_EDITBAR, "EDIT"},
}};

// How deep the window and accessible trees are searched: real trees are far shallower, and a
// broken one must not keep the search going.
constexpr int kMaxDepth = 64;
// How many windows and controls found are remembered: far more than a pointer passes over
// during one drag.
constexpr size_t kMaxKnownTargets = 256;
// Characters mapped onto spare keycodes stay mapped this long after the last typing, so that the
// target has read the keymap it needs before the keycodes are given back.
constexpr int kKeymapRestoreMs = 2000;

// A GObject reference, released at the end.
template <typename T>
class TRef {
 public:
  explicit TRef(T* object = nullptr) : object_(object) {}
  ~TRef() {
    if (object_) g_object_unref(object_);
  }
  TRef(TRef&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  TRef& operator=(TRef&& other) noexcept {
    std::swap(object_, other.object_);
    return *this;
  }
  T* get() const { return object_; }
  T* release() { return std::exchange(object_, nullptr); }
  explicit operator bool() const { return object_ != nullptr; }

 private:
  T* object_;
};

// A call's error, dropped: a control that does not answer is one without that property.
class TIgnoredError {
 public:
  ~TIgnoredError() { g_clear_error(&error_); }
  operator GError**() {
    g_clear_error(&error_);
    return &error_;
  }
  bool Failed() const { return error_ != nullptr; }

 private:
  GError* error_ = nullptr;
};

// Catches the X errors of the requests made while it lives: the other application's windows may
// be gone at any moment.
class TErrorTrap {
 public:
  explicit TErrorTrap(Display* display) : display_(display) {
    XSync(display_, False);
    caught_ = false;
    previous_ = XSetErrorHandler(&Catch);
  }
  ~TErrorTrap() {
    XSync(display_, False);
    XSetErrorHandler(previous_);
  }
  bool Failed() {
    XSync(display_, False);
    return caught_;
  }

 private:
  static int Catch(Display*, XErrorEvent*) {
    caught_ = true;
    return 0;
  }
  static inline bool caught_ = false;
  Display* display_;
  XErrorHandler previous_;
};

QString FromUtf8(gchar* text) {
  const QString result = QString::fromUtf8(text);
  g_free(text);
  return result;
}

class X11Targets : public Service {
 public:
  X11Targets(Display* display, bool accessibility)
      : display_(display), root_(DefaultRootWindow(display)), accessibility_(accessibility) {
    restoreTimer_.setSingleShot(true);
    QObject::connect(&restoreTimer_, &QTimer::timeout, [this] { RestoreKeymap(); });
  }
  ~X11Targets() override {
    // The display closes with the application: afterwards nothing can be given back.
    if (QCoreApplication::instance()) RestoreKeymap();
    for (TTarget& target : targets_)
      if (target.Accessible) g_object_unref(target.Accessible);
  }

  Handle WindowFromPoint(QPoint point) override;
  QRect WindowRect(Handle window) override;
  QString ClassName(Handle window) override;
  QString Text(Handle window) override;
  bool SetText(Handle window, const QString& text) override;
  bool SingleLine(Handle window) override;
  bool IsWindow(Handle window) override;
  void RequestLayout(Handle, uint16_t) override {}
  void SetCaretLine(Handle, const QString& line) override {
    caretLineRightToLeft_ = line.isRightToLeft();
  }
  bool PostKey(Handle window, Key key) override;
  bool PostCharacter(Handle window, char32_t character) override;
  void FinishPosts() override;

 private:
  // A window found: the application's top-level window, the deepest X window at the point and
  // the control there, when the application shows its controls on the accessibility bus.
  struct TTarget {
    Handle Id;
    Window Client;
    Window Deepest;
    AtspiAccessible* Accessible;
    uint64_t LastUse;  // when it was last found or asked about
  };

  TTarget* Find(Handle window) {
    const auto found = std::find_if(targets_.begin(), targets_.end(),
                                    [window](const TTarget& known) { return known.Id == window; });
    if (found == targets_.end()) return nullptr;
    found->LastUse = ++uses_;
    return &*found;
  }
  Handle Remember(Window client, Window deepest, TRef<AtspiAccessible> accessible);
  Window ClientWindow(Window window, int depth = 0);
  Window Deepest(Window top, QPoint at);
  bool IsOwn(Window client);
  // The window's property of that type and format; none when it has no such property.
  std::optional<QByteArray> Property(Window window, const char* name, Atom type, int format);
  long WindowPid(Window client);
  TRef<AtspiAccessible> AccessibleAt(Window client, QPoint at);
  bool Focus(Handle window);
  // The modifiers the user holds (Shift of a capital, Ctrl of a paste) would make the keys
  // typed into the target select, jump words or run shortcuts: they are let go for a run of
  // posts and pressed again after it. Caps Lock and Num Lock stay: pressing them toggles.
  void ReleaseHeldModifiers();
  // One press and release of the symbol. Every symbol is typed on a spare keycode lent to it:
  // the user's own key may still be down while this program sends, and the X server drops a
  // press of a key that is down.
  bool Tap(KeySym symbol);
  KeyCode KeycodeFor(KeySym symbol);
  void RestoreKeymap();

  QPoint Native(QPoint point) const { return (QPointF(point) * Ratio()).toPoint(); }
  QRect Logical(QRect rect) const {
    const qreal ratio = Ratio();
    return QRectF(rect.x() / ratio, rect.y() / ratio, rect.width() / ratio, rect.height() / ratio)
        .toRect();
  }
  static qreal Ratio() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->devicePixelRatio() : 1.0;
  }
  Atom Intern(const char* name) { return XInternAtom(display_, name, False); }

  Display* display_;  // Qt's connection, open for the life of the application
  Window root_;
  bool accessibility_;
  // The windows and controls found lately, each holding its control: the pointer passes over
  // many during a drag.
  std::vector<TTarget> targets_;
  Handle lastHandle_ = 0;
  uint64_t uses_ = 0;
  // Where the keyboard was before a run of posts.
  bool focusSaved_ = false;
  Window savedFocus_ = 0;
  int savedRevert_ = RevertToParent;
  // The user's modifier keys let go for the run.
  std::vector<KeyCode> releasedModifiers_;
  Handle focused_ = 0;
  bool caretLineRightToLeft_ = false;
  // Keycodes without symbols, lent to the symbols typed; the most recently typed last.
  std::vector<KeyCode> spare_;
  bool spareKnown_ = false;
  std::map<KeySym, KeyCode> mapped_;
  std::deque<KeySym> lent_;
  QTimer restoreTimer_;
};

Handle X11Targets::Remember(Window client, Window deepest, TRef<AtspiAccessible> accessible) {
  for (TTarget& known : targets_) {
    if (known.Client == client && known.Deepest == deepest &&
        known.Accessible == accessible.get()) {
      known.LastUse = ++uses_;
      return known.Id;
    }
  }
  if (targets_.size() == kMaxKnownTargets) {
    // The one left alone longest goes; the window receiving the output is asked about at every
    // change, and the framed one was found just now.
    const auto oldest =
        std::min_element(targets_.begin(), targets_.end(),
                         [](const TTarget& a, const TTarget& b) { return a.LastUse < b.LastUse; });
    if (oldest->Accessible) g_object_unref(oldest->Accessible);
    targets_.erase(oldest);
  }
  targets_.push_back({++lastHandle_, client, deepest, accessible.release(), ++uses_});
  return lastHandle_;
}

Handle X11Targets::WindowFromPoint(QPoint point) {
  const QPoint at = Native(point);
  std::vector<Window> tops;
  {
    TErrorTrap trap(display_);
    Window rootReturn, parent;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display_, root_, &rootReturn, &parent, &children, &count)) return 0;
    tops.assign(children, children + count);
    if (children) XFree(children);
  }
  // Topmost first.
  for (auto top = tops.rbegin(); top != tops.rend(); ++top) {
    XWindowAttributes attributes;
    {
      TErrorTrap trap(display_);
      if (!XGetWindowAttributes(display_, *top, &attributes) || trap.Failed()) continue;
    }
    const int border = 2 * attributes.border_width;
    if (attributes.map_state != IsViewable || attributes.c_class == InputOnly ||
        !QRect(attributes.x, attributes.y, attributes.width + border, attributes.height + border)
             .contains(at))
      continue;
    const Window client = ClientWindow(*top);
    if (!client || IsOwn(client)) continue;
    return Remember(client, Deepest(*top, at), AccessibleAt(client, at));
  }
  return 0;
}

Window X11Targets::ClientWindow(Window window, int depth) {
  TErrorTrap trap(display_);
  XClassHint hint{};
  if (XGetClassHint(display_, window, &hint)) {
    XFree(hint.res_name);
    XFree(hint.res_class);
    return window;
  }
  // A window manager's frame: the application's window is inside.
  Window rootReturn, parent;
  Window* children = nullptr;
  unsigned count = 0;
  if (depth >= kMaxDepth || !XQueryTree(display_, window, &rootReturn, &parent, &children, &count))
    return 0;
  Window found = 0;
  for (unsigned i = count; i-- > 0 && !found;) found = ClientWindow(children[i], depth + 1);
  if (children) XFree(children);
  return found;
}

Window X11Targets::Deepest(Window top, QPoint at) {
  TErrorTrap trap(display_);
  Window window = top;
  for (int depth = 0; depth < kMaxDepth; ++depth) {
    int x, y;
    Window child = 0;
    if (!XTranslateCoordinates(display_, root_, window, at.x(), at.y(), &x, &y, &child) || !child)
      break;
    window = child;
  }
  return trap.Failed() ? top : window;
}

bool X11Targets::IsOwn(Window client) {
  for (const QWindow* window : QGuiApplication::allWindows())
    if (window->handle() && Window(window->winId()) == client) return true;
  return WindowPid(client) == getpid();
}

std::optional<QByteArray> X11Targets::Property(Window window, const char* name, Atom type,
                                               int format) {
  TErrorTrap trap(display_);
  Atom actualType;
  int actualFormat;
  unsigned long count, after;
  unsigned char* data = nullptr;
  std::optional<QByteArray> value;
  if (XGetWindowProperty(display_, window, Intern(name), 0, 65536, False, type, &actualType,
                         &actualFormat, &count, &after, &data) == Success &&
      data && actualType == type && actualFormat == format)
    // Xlib hands 32-bit items over as longs.
    value = QByteArray(reinterpret_cast<const char*>(data),
                       qsizetype(count) * (format == 32 ? qsizetype(sizeof(long)) : format / 8));
  if (data) XFree(data);
  return value;
}

long X11Targets::WindowPid(Window client) {
  const std::optional<QByteArray> pid = Property(client, "_NET_WM_PID", XA_CARDINAL, 32);
  long value = 0;
  if (pid && pid->size() == sizeof(value)) std::memcpy(&value, pid->constData(), sizeof(value));
  return value;
}

TRef<AtspiAccessible> X11Targets::AccessibleAt(Window client, QPoint at) {
  // Never this application: its own controls answer on this thread, which would be waiting.
  const long pid = WindowPid(client);
  if (!accessibility_ || pid <= 0 || pid == getpid()) return TRef<AtspiAccessible>();
  TIgnoredError error;
  TRef<AtspiAccessible> desktop(atspi_get_desktop(0));
  // The list of applications is kept up to date from the bus's events, which this thread has
  // not read while it was busy: ask afresh.
  atspi_accessible_clear_cache(desktop.get());
  const int apps = atspi_accessible_get_child_count(desktop.get(), error);
  for (int a = 0; a < apps; ++a) {
    TRef<AtspiAccessible> app(atspi_accessible_get_child_at_index(desktop.get(), a, error));
    if (!app || long(atspi_accessible_get_process_id(app.get(), error)) != pid) continue;
    const int windows = atspi_accessible_get_child_count(app.get(), error);
    for (int w = 0; w < windows; ++w) {
      TRef<AtspiAccessible> found(atspi_accessible_get_child_at_index(app.get(), w, error));
      TRef<AtspiComponent> component(found ? atspi_accessible_get_component_iface(found.get())
                                           : nullptr);
      if (!component || !atspi_component_contains(component.get(), at.x(), at.y(),
                                                  ATSPI_COORD_TYPE_SCREEN, error))
        continue;
      // Down to the deepest control at the point.
      for (int depth = 0; depth < kMaxDepth && component; ++depth) {
        TRef<AtspiAccessible> child(atspi_component_get_accessible_at_point(
            component.get(), at.x(), at.y(), ATSPI_COORD_TYPE_SCREEN, error));
        if (!child || child.get() == found.get()) break;
        found = std::move(child);
        component = TRef<AtspiComponent>(atspi_accessible_get_component_iface(found.get()));
      }
      // Up to the control whose text can be replaced, when the point is inside one.
      TRef<AtspiAccessible> up(static_cast<AtspiAccessible*>(g_object_ref(found.get())));
      for (int depth = 0; depth < kMaxDepth && up; ++depth) {
        if (TRef<AtspiEditableText>(atspi_accessible_get_editable_text_iface(up.get()))) return up;
        if (atspi_accessible_get_role(up.get(), error) == ATSPI_ROLE_FRAME) break;
        up = TRef<AtspiAccessible>(atspi_accessible_get_parent(up.get(), error));
      }
      return found;
    }
  }
  return TRef<AtspiAccessible>();
}

QRect X11Targets::WindowRect(Handle window) {
  const TTarget* target = Find(window);
  if (!target) return {};
  if (target->Accessible) {
    TIgnoredError error;
    TRef<AtspiComponent> component(atspi_accessible_get_component_iface(target->Accessible));
    if (AtspiRect* extents =
            component ? atspi_component_get_extents(component.get(), ATSPI_COORD_TYPE_SCREEN, error)
                      : nullptr) {
      const QRect rect(extents->x, extents->y, extents->width, extents->height);
      g_free(extents);
      if (!rect.isEmpty()) return Logical(rect);
    }
  }
  TErrorTrap trap(display_);
  XWindowAttributes attributes;
  int x, y;
  Window child;
  if (!XGetWindowAttributes(display_, target->Deepest, &attributes) ||
      !XTranslateCoordinates(display_, target->Deepest, root_, 0, 0, &x, &y, &child) ||
      trap.Failed())
    return {};
  return Logical(QRect(x, y, attributes.width, attributes.height));
}

QString X11Targets::ClassName(Handle window) {
  const TTarget* target = Find(window);
  if (!target) return {};
  QString role;
  if (target->Accessible) {
    TIgnoredError error;
    const AtspiRole found = atspi_accessible_get_role(target->Accessible, error);
    const auto known =
        std::find_if(kRoleClasses.begin(), kRoleClasses.end(),
                     [found](const TRoleClass& entry) { return entry.Role == found; });
    if (known != kRoleClasses.end()) {
      role = QLatin1String(known->ClassName);
    } else if (TRef<AtspiEditableText>(
                   atspi_accessible_get_editable_text_iface(target->Accessible))) {
      role = QStringLiteral("EDIT");
    } else {
      role = FromUtf8(atspi_accessible_get_role_name(target->Accessible, error))
                 .toUpper()
                 .remove(u' ');
    }
  }
  TErrorTrap trap(display_);
  XClassHint hint{};
  QString windowClass;
  if (XGetClassHint(display_, target->Client, &hint)) {
    windowClass = QString::fromLocal8Bit(hint.res_class);
    XFree(hint.res_name);
    XFree(hint.res_class);
  }
  return role.isEmpty() ? windowClass : role + u' ' + windowClass;
}

QString X11Targets::Text(Handle window) {
  const TTarget* target = Find(window);
  if (!target) return {};
  if (!target->Accessible) return {};
  TIgnoredError error;
  if (TRef<AtspiText> text{atspi_accessible_get_text_iface(target->Accessible)}) {
    const int count = atspi_text_get_character_count(text.get(), error);
    return count > 0 ? FromUtf8(atspi_text_get_text(text.get(), 0, count, error)) : QString();
  }
  return FromUtf8(atspi_accessible_get_name(target->Accessible, error));
}

bool X11Targets::SetText(Handle window, const QString& text) {
  const TTarget* target = Find(window);
  if (!target) return false;
  if (!target->Accessible) return false;
  TIgnoredError error;
  TRef<AtspiEditableText> editable(atspi_accessible_get_editable_text_iface(target->Accessible));
  return editable &&
         atspi_editable_text_set_text_contents(editable.get(), text.toUtf8().constData(), error) &&
         !error.Failed();
}

bool X11Targets::SingleLine(Handle window) {
  const TTarget* target = Find(window);
  if (!target || !target->Accessible) return false;
  // Multi-line controls say so; single-line ones do not all say that they are.
  TRef<AtspiStateSet> states(atspi_accessible_get_state_set(target->Accessible));
  return states && !atspi_state_set_contains(states.get(), ATSPI_STATE_MULTI_LINE);
}

bool X11Targets::IsWindow(Handle window) {
  const TTarget* target = Find(window);
  if (!target) return false;
  TErrorTrap trap(display_);
  XWindowAttributes attributes;
  return XGetWindowAttributes(display_, target->Client, &attributes) && !trap.Failed();
}

bool X11Targets::Focus(Handle window) {
  if (focused_ == window) return true;
  const TTarget* target = Find(window);
  if (!target) return false;
  TErrorTrap trap(display_);
  if (!focusSaved_) {
    XGetInputFocus(display_, &savedFocus_, &savedRevert_);
    focusSaved_ = true;
    ReleaseHeldModifiers();
  }
  // XTest types into the window that has the keyboard.
  XSetInputFocus(display_, target->Client, RevertToParent, CurrentTime);
  if (trap.Failed()) return false;
  focused_ = window;
  return true;
}

void X11Targets::ReleaseHeldModifiers() {
  std::array<char, 32> down{};
  XQueryKeymap(display_, down.data());
  XModifierKeymap* modifiers = XGetModifierMapping(display_);
  if (!modifiers) return;
  for (const int modifier :
       {ShiftMapIndex, ControlMapIndex, Mod1MapIndex, Mod3MapIndex, Mod4MapIndex, Mod5MapIndex}) {
    for (int k = 0; k < modifiers->max_keypermod; ++k) {
      const KeyCode code = modifiers->modifiermap[modifier * modifiers->max_keypermod + k];
      if (code && (down[code / 8] >> (code % 8)) & 1) {
        XTestFakeKeyEvent(display_, code, False, CurrentTime);
        releasedModifiers_.push_back(code);
      }
    }
  }
  XFreeModifiermap(modifiers);
}

bool X11Targets::Tap(KeySym symbol) {
  const KeyCode code = KeycodeFor(symbol);
  if (!code) return false;
  restoreTimer_.stop();
  return XTestFakeKeyEvent(display_, code, True, CurrentTime) &&
         XTestFakeKeyEvent(display_, code, False, CurrentTime);
}

bool X11Targets::PostKey(Handle window, Key key) {
  static constexpr std::array<KeySym, 5> kKeys = {XK_Left, XK_Delete, XK_End, XK_Down, XK_Return};
  if (!Focus(window)) return false;
  KeySym symbol = kKeys[size_t(key)];
  // Text controls lay a right-to-left line out from the right; terminals show every line left
  // to right.
  if (key == Key::Left && caretLineRightToLeft_ && Find(window)->Accessible) symbol = XK_Right;
  return Tap(symbol);
}

bool X11Targets::PostCharacter(Handle window, char32_t character) {
  if (!Focus(window)) return false;
  // Latin-1 keysyms are the code points themselves; the others are offset.
  return Tap((character >= 0x20 && character <= 0x7E) || (character >= 0xA0 && character <= 0xFF)
                 ? KeySym(character)
                 : KeySym(0x01000000 | character));
}

KeyCode X11Targets::KeycodeFor(KeySym symbol) {
  if (const auto known = mapped_.find(symbol); known != mapped_.end()) {
    lent_.erase(std::find(lent_.begin(), lent_.end(), symbol));
    lent_.push_back(symbol);
    return known->second;
  }
  if (!spareKnown_) {
    spareKnown_ = true;
    int first, last, perCode;
    XDisplayKeycodes(display_, &first, &last);
    KeySym* symbols = XGetKeyboardMapping(display_, KeyCode(first), last - first + 1, &perCode);
    for (int code = first; symbols && code <= last; ++code) {
      const KeySym* row = symbols + (code - first) * perCode;
      if (std::all_of(row, row + perCode, [](KeySym none) { return none == NoSymbol; }))
        spare_.push_back(KeyCode(code));
    }
    if (symbols) XFree(symbols);
  }
  KeyCode code;
  if (mapped_.size() < spare_.size()) {
    code = spare_[mapped_.size()];
  } else if (!lent_.empty()) {
    // Every spare keycode is lent: the one typed longest ago is taken back.
    code = mapped_[lent_.front()];
    mapped_.erase(lent_.front());
    lent_.pop_front();
  } else {
    return 0;
  }
  // The same symbol on both levels: Shift and Caps Lock change nothing.
  std::array<KeySym, 2> symbols = {symbol, symbol};
  XChangeKeyboardMapping(display_, code, int(symbols.size()), symbols.data(), 1);
  mapped_[symbol] = code;
  lent_.push_back(symbol);
  return code;
}

void X11Targets::FinishPosts() {
  if (focusSaved_) {
    TErrorTrap trap(display_);
    XSetInputFocus(display_, savedFocus_, savedRevert_, CurrentTime);
    for (const KeyCode code : releasedModifiers_)
      XTestFakeKeyEvent(display_, code, True, CurrentTime);
    releasedModifiers_.clear();
  }
  focusSaved_ = false;
  focused_ = 0;
  XFlush(display_);
  if (!mapped_.empty()) restoreTimer_.start(kKeymapRestoreMs);
}

void X11Targets::RestoreKeymap() {
  std::array<KeySym, 2> none = {NoSymbol, NoSymbol};
  for (const auto& [symbol, code] : mapped_)
    XChangeKeyboardMapping(display_, code, int(none.size()), none.data(), 1);
  mapped_.clear();
  lent_.clear();
  XFlush(display_);
}

}  // namespace

std::unique_ptr<Service> X11Service() {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  Display* display = x11 ? x11->display() : nullptr;
  int event, error, major, minor;
  if (!display || !XTestQueryExtension(display, &event, &error, &major, &minor)) return nullptr;
  // 0: connected now, 1: connected before; otherwise there is no accessibility bus, and every
  // other call of the library would end the program.
  const int accessibility = atspi_init();
  return std::make_unique<X11Targets>(display, accessibility == 0 || accessibility == 1);
}

}  // namespace WindowTargets
