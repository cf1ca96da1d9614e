// The main window's live conversion on long documents: a keystroke at the start, in the middle
// and at the end of a 100,000-line text and in one very long line, pasting the whole text, and
// converting it afresh. Each runs with the format copy off (argument 0) and on (1). Then the
// editing keys in a 65,000-character and a 3,000-line text (argument: the number of lines). The
// long line laid out alone shows how much of its keystroke is the text engine's own work.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextLayout>
#include <memory>

#include "CapsLock.h"
#include "CodePage.h"
#include "Corpus.h"
#include "Dictionary.h"
#include "trans.h"
#include "uMain.h"

namespace {

constexpr size_t kLines = 100'000;
constexpr size_t kLineWords = 10;  // about 60 characters: 6 MB of text in all
constexpr size_t kLongLineWords = 3'000;

class TNoReporter : public TDictionaryReporter {
 public:
  void Warning(const std::string&) override {}
  void Error(const std::string&) override {}
};

QString CorpusText(size_t lines, size_t lineWords) {
  QString text;
  for (const std::string& line : corpus::Lines(lines, lineWords, 7)) {
    if (!text.isEmpty()) text += QLatin1Char('\n');
    text += QString::fromStdU16String(CodePage::ToUnicode(line));
  }
  return text;
}

const QString& LongText() {
  static const QString text = CorpusText(kLines, kLineWords);
  return text;
}

// A shown, empty window with the format copy as the benchmark's argument asks.
struct TWindow {
  explicit TWindow(const benchmark::State& state) {
    SameAttributes = state.range(0) != 0;
    form = std::make_unique<TMainForm>();
    form->show();
    in = form->findChild<RichEdit*>(QStringLiteral("EnglishRichEdit"));
    QCoreApplication::processEvents();
  }
  ~TWindow() { SameAttributes = false; }
  void Paste(const QString& text) {
    in->textCursor().insertText(text);
    QCoreApplication::processEvents();
  }
  std::unique_ptr<TMainForm> form;
  RichEdit* in = nullptr;
};

void Press(QWidget* target, Qt::Key key, const QString& text = {},
           Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
  QApplication::sendEvent(target, &event);
}

// Counts the events that the application delivers.
class TEventCounter : public QObject {
 public:
  bool eventFilter(QObject*, QEvent*) override {
    ++count;
    return false;
  }
  size_t count = 0;
};

// Runs the event loop until a pass over it delivers no event: every posted event handled, the
// panes repainted. (One pass leaves what was posted while it ran.)
void RunUntilIdle() {
  TEventCounter counter;
  QCoreApplication::instance()->installEventFilter(&counter);
  do {
    counter.count = 0;
    QCoreApplication::processEvents();
  } while (counter.count > 0);
  QCoreApplication::instance()->removeEventFilter(&counter);
}

// One typed letter at the caret until the output is shown, taken back with Backspace outside
// the timing.
void TypeAt(benchmark::State& state, TWindow& window, int pos) {
  window.in->SetCaret(pos);
  RunUntilIdle();
  for (auto _ : state) {
    Press(window.in, Qt::Key_A, QStringLiteral("a"));
    RunUntilIdle();
    state.PauseTiming();
    Press(window.in, Qt::Key_Backspace);
    RunUntilIdle();
    state.ResumeTiming();
  }
  state.counters["characters"] = window.in->TextLength();
}

void TypeInLongText(benchmark::State& state, double where) {
  TWindow window(state);
  window.Paste(LongText());
  const int line = std::min(int(kLines * where), int(kLines) - 1);
  TypeAt(state, window, window.in->LineIndex(line) + window.in->LineLength(line) / 2);
}

void BM_TypeAtTheStart(benchmark::State& state) {
  TypeInLongText(state, 0);
}
void BM_TypeInTheMiddle(benchmark::State& state) {
  TypeInLongText(state, 0.5);
}
void BM_TypeAtTheEnd(benchmark::State& state) {
  TypeInLongText(state, 1);
}

void BM_TypeInOneLongLine(benchmark::State& state) {
  TWindow window(state);
  window.Paste(CorpusText(1, kLongLineWords).left(20'000));
  TypeAt(state, window, window.in->TextLength() / 2);
}

// What a key in the long line cannot do without: laying out the input line and its output line
// afresh, as the panes do after any change, with nothing else of the window's work.
void BM_LayOutTheLongLines(benchmark::State& state) {
  TWindow window(state);
  window.Paste(CorpusText(1, kLongLineWords).left(20'000));
  auto* out = window.form->findChild<RichEdit*>(QStringLiteral("FarsiRichEdit"));
  for (auto _ : state) {
    for (const RichEdit* pane : {window.in, out}) {
      const QTextBlock block = pane->document()->firstBlock();
      QTextLayout layout(block.text(), pane->document()->defaultFont(), pane->viewport());
      layout.setTextOption(block.layout()->textOption());
      layout.setCacheEnabled(true);
      layout.beginLayout();
      QTextLine line = layout.createLine();
      line.setLineWidth(0);
      layout.endLayout();
      benchmark::DoNotOptimize(line.naturalTextWidth());
    }
  }
}

// Ctrl+V with the text on the clipboard, as the user pastes it, until the window is idle.
void BM_PasteTheLongText(benchmark::State& state) {
  QApplication::clipboard()->setText(LongText());
  for (auto _ : state) {
    state.PauseTiming();
    TWindow window(state);
    RunUntilIdle();
    state.ResumeTiming();
    Press(window.in, Qt::Key_V, {}, Qt::ControlModifier);
    RunUntilIdle();
    state.PauseTiming();
    auto* out = window.form->findChild<RichEdit*>(QStringLiteral("FarsiRichEdit"));
    if (window.in->TextLength() != LongText().size() || out->LineCount() != int(kLines))
      state.SkipWithError("the paste did not reach the output");
    window.form.reset();
    state.ResumeTiming();
  }
}

void BM_ReconvertAll(benchmark::State& state) {
  TWindow window(state);
  window.Paste(LongText());
  for (auto _ : state) window.form->ReconvertAll();
}

#define ZEFRA_WINDOW_BENCHMARK(name, repetitions) \
  BENCHMARK(name)                                 \
      ->Arg(0)                                    \
      ->Arg(1)                                    \
      ->Unit(benchmark::kMillisecond)             \
      ->Repetitions(repetitions)                  \
      ->ReportAggregatesOnly(true)

// A shown window holding lines of corpus text with the input focused, the caret in line 5.
struct TEditingWindow {
  explicit TEditingWindow(const benchmark::State& state) {
    form = std::make_unique<TMainForm>();
    form->show();
    form->activateWindow();
    in = form->findChild<RichEdit*>(QStringLiteral("EnglishRichEdit"));
    in->setFocus();
    in->textCursor().insertText(CorpusText(size_t(state.range(0)), kLineWords));
    in->SetCaret(in->LineIndex(5) + 10);
    QCoreApplication::processEvents();
  }
  std::unique_ptr<TMainForm> form;
  RichEdit* in = nullptr;
};

void BM_TypeWithTheToolBar(benchmark::State& state) {
  TEditingWindow window(state);
  auto* bold = window.form->findChild<QWidget*>(QStringLiteral("BoldToolBtn"));
  for (auto _ : state) {
    state.PauseTiming();
    // A pending style for the typed letter to take.
    QMetaObject::invokeMethod(bold, "click");
    window.in->setFocus();
    state.ResumeTiming();
    Press(window.in, Qt::Key_A, QStringLiteral("a"));
    state.PauseTiming();
    Press(window.in, Qt::Key_Backspace);
    QCoreApplication::processEvents();
    state.ResumeTiming();
  }
}

void BM_CapsLockSwitch(benchmark::State& state) {
  TEditingWindow window(state);
  for (auto _ : state) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_CapsLock, Qt::NoModifier);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_CapsLock, Qt::NoModifier);
    QApplication::sendEvent(window.in, &press);
    QApplication::sendEvent(window.in, &release);
    // The window's own press that switches Caps Lock off again.
    QCoreApplication::processEvents();
  }
}

// A key in line 5 that makes or removes a line break, at a column (-1: the line's end), and
// the key that puts the text back, outside the timing.
void LineKey(benchmark::State& state, Qt::Key key, Qt::Key undo, int column) {
  TEditingWindow window(state);
  const auto text = [](Qt::Key pressed) {
    return pressed == Qt::Key_Return ? QStringLiteral("\r") : QString();
  };
  for (auto _ : state) {
    state.PauseTiming();
    const int line = 5;
    window.in->SetCaret(window.in->LineIndex(line) +
                        (column < 0 ? window.in->LineLength(line) : column));
    state.ResumeTiming();
    Press(window.in, key, text(key));
    state.PauseTiming();
    Press(window.in, undo, text(undo));
    QCoreApplication::processEvents();
    state.ResumeTiming();
  }
}

void BM_EnterNearTheTop(benchmark::State& state) {
  LineKey(state, Qt::Key_Return, Qt::Key_Backspace, 10);
}

void BM_BackspaceNearTheTop(benchmark::State& state) {
  LineKey(state, Qt::Key_Backspace, Qt::Key_Return, 0);
}

void BM_DeleteNearTheTop(benchmark::State& state) {
  LineKey(state, Qt::Key_Delete, Qt::Key_Return, -1);
}

#define ZEFRA_EDITING_BENCHMARK(name) \
  BENCHMARK(name)                     \
      ->Arg(1'000)                    \
      ->Arg(3'000)                    \
      ->Unit(benchmark::kMillisecond) \
      ->Repetitions(3)                \
      ->ReportAggregatesOnly(true)

ZEFRA_EDITING_BENCHMARK(BM_TypeWithTheToolBar);
ZEFRA_EDITING_BENCHMARK(BM_CapsLockSwitch);
ZEFRA_EDITING_BENCHMARK(BM_EnterNearTheTop);
ZEFRA_EDITING_BENCHMARK(BM_BackspaceNearTheTop);
ZEFRA_EDITING_BENCHMARK(BM_DeleteNearTheTop);

ZEFRA_WINDOW_BENCHMARK(BM_TypeAtTheStart, 5);
ZEFRA_WINDOW_BENCHMARK(BM_TypeInTheMiddle, 5);
ZEFRA_WINDOW_BENCHMARK(BM_TypeAtTheEnd, 5);
ZEFRA_WINDOW_BENCHMARK(BM_TypeInOneLongLine, 5);
// Laid out without formats: only the format copy's argument 0 applies.
BENCHMARK(BM_LayOutTheLongLines)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
ZEFRA_WINDOW_BENCHMARK(BM_PasteTheLongText, 1)->Iterations(3);
ZEFRA_WINDOW_BENCHMARK(BM_ReconvertAll, 1)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  benchmark::Initialize(&argc, argv);
  QApplication app(argc, argv);
  QTemporaryDir dir;
  TNoReporter reporter;
  // A new dictionary file with the default entries, as on a first start.
  const std::string path = QFile::encodeName(dir.path()).toStdString();
  StartDictionaryModule(ChooseDictionaryFile(path, path), reporter);
  InitializeEngine();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  FinishDictionaryModule();
  return 0;
}
