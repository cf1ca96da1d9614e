#include "WindowTargets.h"

#include <QGuiApplication>
#include <QTextBoundaryFinder>
#include <algorithm>

#include "ServiceSlot.h"

#ifdef ZEFRA_X11_TARGETS
#include "WindowTargetsX11.h"
#endif

namespace WindowTargets {

namespace {

QString KeyName(Key key) {
  switch (key) {
    case Key::Left:
      return QStringLiteral("Left");
    case Key::Delete:
      return QStringLiteral("Delete");
    case Key::End:
      return QStringLiteral("End");
    case Key::Down:
      return QStringLiteral("Down");
    case Key::Enter:
      break;
  }
  return QStringLiteral("Enter");
}

// The start of the line that holds position pos.
int LineStart(const QString& text, int pos) {
  return pos > 0 ? int(text.lastIndexOf(u'\n', pos - 1)) + 1 : 0;
}

int LineEnd(const QString& text, int pos) {
  const qsizetype end = text.indexOf(u'\n', pos);
  return end < 0 ? int(text.size()) : int(end);
}

// The position one character as the user sees it (a letter with its marks, an emoji) away.
int NextCharacter(const QString& text, int pos, bool forward) {
  QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
  finder.setPosition(pos);
  const qsizetype next = forward ? finder.toNextBoundary() : finder.toPreviousBoundary();
  return next < 0 ? pos : int(next);
}

// What a plain editor does with the post at its caret: like Qt's and GTK's text boxes, it moves
// and deletes by characters as the user sees them.
void Edit(InProcessService::Window& window, const QString& post) {
  QString& text = window.Text;
  int& caret = window.Caret;
  if (post == QLatin1String("Left")) {
    caret = NextCharacter(text, caret, false);
  } else if (post == QLatin1String("Delete")) {
    text.remove(caret, NextCharacter(text, caret, true) - caret);
  } else if (post == QLatin1String("End")) {
    caret = LineEnd(text, caret);
  } else if (post == QLatin1String("Down")) {
    const int end = LineEnd(text, caret);
    if (end < text.size())
      caret = std::min(end + 1 + caret - LineStart(text, caret), LineEnd(text, end + 1));
  } else {
    const QString typed = post == QLatin1String("Enter") ? QStringLiteral("\n") : post;
    text.insert(caret, typed);
    caret += int(typed.size());
  }
}

}  // namespace

Handle InProcessService::AddWindow(QRect rect, const QString& className, const QString& text,
                                   bool takesText) {
  windows_.push_back({rect, className, text, takesText, false, true, int(text.size()), 0});
  return windows_.size();
}

InProcessService::Window* InProcessService::Live(Handle window) {
  if (window == 0 || window > windows_.size()) return nullptr;
  Window& found = At(window);
  return found.Exists ? &found : nullptr;
}

Handle InProcessService::WindowFromPoint(QPoint point) {
  for (Handle window = windows_.size(); window > 0; --window)
    if (Live(window) && At(window).Rect.contains(point)) return window;
  return 0;
}

QRect InProcessService::WindowRect(Handle window) {
  const Window* found = Live(window);
  return found ? found->Rect : QRect();
}

QString InProcessService::ClassName(Handle window) {
  const Window* found = Live(window);
  return found ? found->ClassName : QString();
}

QString InProcessService::Text(Handle window) {
  const Window* found = Live(window);
  return found ? found->Text : QString();
}

bool InProcessService::SetText(Handle window, const QString& text) {
  Window* found = Live(window);
  if (!found || !found->TakesText) return false;
  found->Text = text;
  found->Caret = int(text.size());
  TextsSet.push_back(text);
  return true;
}

bool InProcessService::SingleLine(Handle window) {
  const Window* found = Live(window);
  return found && found->SingleLine;
}

bool InProcessService::IsWindow(Handle window) {
  return Live(window) != nullptr;
}

void InProcessService::RequestLayout(Handle, uint16_t layout) {
  Layouts.push_back(layout);
}

bool InProcessService::Deliver(Handle window, const QString& post) {
  Window* found = Live(window);
  if (!found) return false;
  if (found->RefusedPosts > 0) {
    --found->RefusedPosts;
    return false;
  }
  Posts.push_back(post);
  Edit(*found, post);
  return true;
}

bool InProcessService::PostKey(Handle window, Key key) {
  return Deliver(window, KeyName(key));
}

bool InProcessService::PostCharacter(Handle window, char32_t character) {
  return Deliver(window, QString::fromUcs4(&character, 1));
}

std::unique_ptr<Service> ForPlatform(const QString& platformName) {
  return ServiceSlot<Service>::ForPlatform<InProcessService>(platformName, [] {
#ifdef ZEFRA_X11_TARGETS
    return X11Service();
#else
    // Built without the accessibility library: no window of another program is ever found.
    return std::unique_ptr<Service>(std::make_unique<InProcessService>());
#endif
  });
}

}  // namespace WindowTargets
