// Sending the output into another application's window: the user drags the program's icon onto
// the window; after every change of the input the output goes there, either as the window's
// whole text (the standard method) or as the key presses that turn its changed lines into the
// new ones (the special method).
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <array>

#include "HighlightFrame.h"
#include "MessageBoxes.h"
#include "PersianFont.h"
#include "WordUtils.h"
#include "uMain.h"

using WindowTargets::Key;

namespace {

// Class-name fragments of the controls that are no edit boxes, asked about in this order.
constexpr std::array<const char*, 9> TargetClassWarnings = {
    "BUTTON", "COMBOBOX", "LISTBOX", "MDICLIENT", "SCROLLBAR", "STATIC", "TOOLBAR", "TRAY", "MENU"};

// The icon's corner, not the pointer's tip, points at the target: the pointer shows the icon
// with its hot spot in the middle.
constexpr int kIconSize = 32;
constexpr int kCornerOffset = kIconSize / 2;
// The longest class name read.
constexpr int kClassNameLength = 99;
// Each key is offered this many times before the target counts as unreachable for this change.
constexpr int kPostTries = 50;

const QString kItWorks = QStringLiteral("It Works!!");

WindowTargets::Service& Targets() {
  return WindowTargets::Current();
}

// Whether the icon's corner is over one of the program's own windows, whose controls are never
// targets: the windows behind them are hidden from the user.
bool OverOwnWindow(const QWidget* mainWindow, const QWidget* highlightFrame, QPoint corner) {
  const QRect bounds = mainWindow->frameGeometry();
  // Bounds included on every side.
  if (corner.x() >= bounds.left() && corner.x() <= bounds.left() + bounds.width() &&
      corner.y() >= bounds.top() && corner.y() <= bounds.top() + bounds.height())
    return true;
  const QWidgetList windows = QApplication::topLevelWidgets();
  return std::any_of(windows.begin(), windows.end(), [&](const QWidget* window) {
    return window != highlightFrame && window->isVisible() &&
           window->frameGeometry().contains(corner);
  });
}

// The program's icon: the Persian letter ze on a blue tile.
QPixmap ZefraIcon() {
  QPixmap icon(kIconSize, kIconSize);
  icon.fill(Qt::transparent);
  QPainter painter(&icon);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(0x10, 0x30, 0x80), 1));
  painter.setBrush(QColor(0x20, 0x60, 0xC0));
  painter.drawRoundedRect(QRectF(0.5, 0.5, kIconSize - 1, kIconSize - 1), 6, 6);
  QFont font(PersianFace());
  font.setPixelSize(22);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(icon.rect(), Qt::AlignCenter, QStringLiteral(u"\u0632"));
  return icon;
}

// Text boxes move the caret and delete by characters as the user sees them (a letter with its
// shadda, an emoji), so the keys are counted in those, and no edit starts or ends inside one.
bool IsCharacterBoundary(const QString& text, int pos) {
  if (pos <= 0 || pos >= text.size()) return true;
  QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
  finder.setPosition(pos);
  return finder.isAtBoundary();
}

// The characters as the user sees them between two of their boundaries.
int CharacterCount(const QString& text, int from, int to) {
  QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
  finder.setPosition(from);
  int count = 0;
  while (finder.position() < to && finder.toNextBoundary() >= 0) ++count;
  return count;
}

QString NotAnEditBoxText(const char* fragment) {
  return QStringLiteral("The window you have selected seems not to be a EditBox.It is a ") +
         QLatin1String(fragment) + QStringLiteral(",Are you Sure you want to send output to it?");
}

QString ItWorksQuestion() {
  return QStringLiteral(
             "Sorry,the window you have selected is not registered as standard window so i can "
             "NOT send your romanesh output to it normally,and then we should use some hacking "
             "methods.These methods are still under development but sometimes there is NO way "
             "at all to send output so it is better to use standard Copy and Paste for those "
             "windows.") +
         QStringLiteral("\r\n") +
         QStringLiteral(
             "If you can see the \"It Works!!\" text at your window so i can use my "
             "standard routines.") +
         QStringLiteral("\r\n") +
         QStringLiteral("Can you see   \"It Works!!\"   text at your window?");
}

QString SpecialMethodQuestion() {
  return QStringLiteral(
             "So your window is not implemented in standard way,i can still use some methods for "
             "sending output to it NOTE that it is still experimental.You might not get exactly "
             "what you typed.But no harm to your system at all.") +
         QStringLiteral("\r\n") + QStringLiteral("Do you want me to use special methods?");
}

}  // namespace

void TMainForm::SetupSending() {
  ZefraImage = new QLabel(this);
  ZefraImage->setObjectName(QStringLiteral("ZefraImage"));
  ZefraImage->setGeometry(615, 459, kIconSize, kIconSize);
  ZefraImage->setPixmap(ZefraIcon());
  ZefraImage->setCursor(Qt::PointingHandCursor);
  ZefraImage->setAccessibleName(QStringLiteral("Drag the icon to Target Window"));
  ZefraImage->installEventFilter(this);
  Label1 = new QLabel(QStringLiteral("Drag the icon to Target Window"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setGeometry(400, 467, 208, 16);
  Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  Label1->setBuddy(ZefraImage);

  CheckBox1 = new QCheckBox(QStringLiteral("Sending Output to"), this);
  CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
  CheckBox1->setGeometry(400, 494, 115, 17);
  CheckBox2 = new QCheckBox(QStringLiteral("Standard Method"), this);
  CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
  CheckBox2->setGeometry(532, 494, 115, 17);
  CheckBox2->setToolTip(QStringLiteral(
      "Sometimes works,for Editboxes or things like notepad,not for internet exploer"));
  for (QCheckBox* box : {CheckBox1, CheckBox2}) box->setEnabled(false);
  connect(CheckBox1, &QCheckBox::clicked, this, &TMainForm::CheckBox1Click);
  connect(CheckBox2, &QCheckBox::clicked, this, &TMainForm::CheckBox2Click);

  HighlightFrame = new THighlightFrame(this);
  // Joining the accessibility bus takes a while: done now, the first drag finds the controls.
  Targets();
}

bool TMainForm::ZefraImageEvent(QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
      type != QEvent::MouseButtonRelease)
    return false;
  const auto* mouse = static_cast<QMouseEvent*>(event);
  const QPoint pointer = mouse->globalPosition().toPoint();
  if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton && !PickingTarget)
    ZefraImageStartDrag();
  else if (type == QEvent::MouseMove && PickingTarget)
    FollowDragPointer(pointer);
  else if (type == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton && PickingTarget)
    ZefraImageEndDrag(pointer.x(), pointer.y());
  return PickingTarget || type == QEvent::MouseButtonRelease;
}

void TMainForm::ZefraImageStartDrag() {
  // Wherever the pointer goes, it shows the icon and its moves come here.
  QApplication::setOverrideCursor(QCursor(ZefraIcon(), kCornerOffset, kCornerOffset));
  ZefraImage->grabMouse();
  PickingTarget = true;
}

void TMainForm::FollowDragPointer(QPoint pointer) {
  const QPoint point = pointer - QPoint(kCornerOffset, kCornerOffset);
  if (OverOwnWindow(this, HighlightFrame, point)) return;
  const WindowTargets::Handle window = Targets().WindowFromPoint(point);
  if (window == HighlightedWindow) return;
  HighlightFrame->Frame(window ? Targets().WindowRect(window) : QRect());
  HighlightedWindow = window;
}

void TMainForm::ZefraImageEndDrag(int X, int Y) {
  PickingTarget = false;
  // The pointer is given back whatever the drop: it would otherwise keep the icon.
  ZefraImage->releaseMouse();
  QApplication::restoreOverrideCursor();
  if (!HighlightedWindow) return;
  HighlightFrame->Frame({});
  HighlightedWindow = 0;

  const QPoint corner(X - kCornerOffset, Y - kCornerOffset);
  if (OverOwnWindow(this, HighlightFrame, corner)) return;
  const WindowTargets::Handle candidate = Targets().WindowFromPoint(corner);
  if (!candidate) return;
  const QString className = Targets().ClassName(candidate).left(kClassNameLength).toUpper();
  const QString text = Targets().Text(candidate);
  bool standard = false;
  if (!ChooseMethod(candidate, className, text, standard)) return;

  SendTarget = candidate;
  CheckBox1->setChecked(true);
  CheckBox1->setEnabled(true);
  CheckBox2->setEnabled(true);
  SendingActive = false;
  if (standard) {
    CheckBox2->setChecked(true);
    LoadTargetText(text);
  } else {
    Targets().RequestLayout(SendTarget, FarsiLanguageId);
    // A tick left from a previous target would send this one whole texts, which it refuses.
    CheckBox2->setChecked(false);
    CheckBox2->setEnabled(false);
  }
  SendingActive = true;
}

bool TMainForm::ChooseMethod(WindowTargets::Handle candidate, const QString& className,
                             const QString& text, bool& standard) {
  for (const char* fragment : TargetClassWarnings) {
    if (!className.contains(QLatin1String(fragment))) continue;
    if (MessageBoxes::Show(this, MessageBoxes::Type::Error, NotAnEditBoxText(fragment),
                           MessageBoxes::Buttons::YesCancel) != MessageBoxes::Answer::Yes)
      return false;
    break;
  }
  standard = true;
  if (className.contains(QLatin1String("EDIT"))) return true;

  // A window without a text control takes no text, and its title is no place for the output:
  // only keys can reach it.
  if (Targets().SetText(candidate, kItWorks)) {
    const MessageBoxes::Answer seen =
        MessageBoxes::Show(this, MessageBoxes::Type::Information, ItWorksQuestion(),
                           MessageBoxes::Buttons::YesNoCancel);
    Targets().SetText(candidate, text);
    if (seen == MessageBoxes::Answer::Yes) return true;
    if (seen != MessageBoxes::Answer::No) return false;
  }
  standard = false;
  return MessageBoxes::Show(this, MessageBoxes::Type::Warning, SpecialMethodQuestion(),
                            MessageBoxes::Buttons::YesNo) == MessageBoxes::Answer::Yes;
}

void TMainForm::LoadTargetText(const QString& text) {
  // Bold is the English marking by default: the target's own text then comes back unchanged.
  EnglishRichEdit->ClearAll();
  EnglishRichEdit->SetCaret(0);
  TCharFormat format;
  format.Style = fsBold;
  EnglishRichEdit->SetSelAttributes(format, TCharFormat::fStyle);
  EnglishRichEdit->ReplaceSel(text.toStdU16String());
  const int last = std::max(EnglishRichEdit->LineCount() - 1, 0);
  EnglishRichEdit->SetCaret(EnglishRichEdit->LineIndex(last) + EnglishRichEdit->LineLength(last));
  format.Style = 0;
  EnglishRichEdit->SetSelAttributes(format, TCharFormat::fStyle);
}

void TMainForm::SendToOutPut() {
  if (!Targets().IsWindow(SendTarget)) {
    MessageBoxes::Show(
        this, MessageBoxes::Type::Warning,
        QStringLiteral(
            "It seems that your windows is destroyed.Inactiving Sending output to that window"));
    SendingActive = false;
    for (QCheckBox* box : {CheckBox1, CheckBox2}) {
      box->setChecked(false);
      box->setEnabled(false);
    }
    return;
  }
  if (CheckBox2->isChecked())
    SendWholeOutput();
  else
    SendChangedLines();
}

void TMainForm::SendWholeOutput() {
  static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
  QStringList lines = FarsiRichEdit->toPlainText().split(lineBreak);
  // A break at the very end closes the last line rather than starting one.
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  SendTextLines.Clear();
  for (const QString& line : lines)
    SendTextLines.Insert(SendTextLines.size(), line.toStdU16String());
  // A single-line box shows line breaks as stray marks: there the lines stand side by side.
  const bool singleLine = Targets().SingleLine(SendTarget);
  std::u16string text;
  for (const std::u16string& line : SendTextLines) {
    if (singleLine && !text.empty()) text += u' ';
    text += singleLine ? line : line + u"\r\n";
  }
  Targets().SetText(SendTarget, QString::fromStdU16String(text));
}

void TMainForm::SendChangedLines() {
  const int count = FarsiRichEdit->LineCount();
  for (int i = 0; i < std::max(count, 1); ++i) {
    const bool hadLine = size_t(i) < PreviousOutputLines.size();
    const std::u16string old = hadLine ? PreviousOutputLines[size_t(i)] : std::u16string();
    std::u16string line = count > 0 ? FarsiRichEdit->Line(i) : std::u16string();
    // The pane reads an empty line as its paragraph mark, the list as nothing: a line that was
    // there and is empty now is no line break to type.
    if (line == u"\r" && hadLine) line.clear();
    bool delivered = true;
    if (old.empty()) {
      delivered = TypeCharacters(line, 1, int(line.size()));
    } else if (old != line) {
      const QString oldText = QString::fromStdU16String(old);
      const QString newText = QString::fromStdU16String(line);
      const auto atBoundaries = [&](int oldPos, int newPos) {
        return IsCharacterBoundary(oldText, oldPos) && IsCharacterBoundary(newText, newPos);
      };
      int p = int(CommonPrefixLength(line, old));
      while (!atBoundaries(p, p)) --p;
      const int m = int(std::min(old.size(), line.size()));
      int s = std::min(int(CommonSuffixLength(line, old)), m - p);
      const int oldLength = int(old.size());
      while (!atBoundaries(oldLength - s, int(line.size()) - s)) --s;
      Targets().SetCaretLine(SendTarget, oldText);
      delivered = PostKeyPresses(Key::Down, i) &&
                  PostKeyPresses(Key::Left, CharacterCount(oldText, p, oldLength)) &&
                  PostKeyPresses(Key::Delete, CharacterCount(oldText, p, oldLength - s)) &&
                  TypeCharacters(line, p + 1, int(line.size()) - s) && PostKeyPresses(Key::End, 1);
    }
    // A target that takes no keys any more is found gone at the next change.
    if (!delivered) break;
  }
  Targets().FinishPosts();
}

void TMainForm::CheckBox1Click() {
  if (!CheckBox1->isChecked()) {
    CheckBox1->setEnabled(false);
    CheckBox2->setEnabled(false);
    CheckBox2->setChecked(false);
  }
  SendingActive = CheckBox1->isChecked();
}

void TMainForm::CheckBox2Click() {
  if (!CheckBox1->isChecked()) CheckBox2->setEnabled(false);
}

bool TMainForm::PostKeyPresses(Key key, int count) {
  for (int n = 0; n < count; ++n) {
    int tries = 0;
    while (!Targets().PostKey(SendTarget, key))
      if (++tries == kPostTries) return false;
  }
  return true;
}

bool TMainForm::TypeCharacters(const std::u16string& text, int first, int last) {
  for (int k = first; k <= last; ++k) {
    const char16_t c = text[size_t(k - 1)];
    const bool lastOfText = size_t(k) == text.size();
    if (c == u'\r' && !lastOfText && text[size_t(k)] != u'\n') continue;
    // A CR LF pair is one line break.
    if (c == u'\n' && k > 1 && text[size_t(k - 2)] == u'\r') continue;
    char32_t character = c;
    if (QChar::isHighSurrogate(c) && !lastOfText && k < last &&
        QChar::isLowSurrogate(text[size_t(k)]))
      character = QChar::surrogateToUcs4(c, text[size_t(k++)]);
    Targets().RequestLayout(SendTarget, character > 0xFF ? FarsiLanguageId : LangEnglishUS);
    int tries = 0;
    while (!(c == u'\r' || c == u'\n' ? Targets().PostKey(SendTarget, Key::Enter)
                                      : Targets().PostCharacter(SendTarget, character)))
      if (++tries == kPostTries) return false;
  }
  return true;
}
