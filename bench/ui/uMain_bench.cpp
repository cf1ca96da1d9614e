// The main window's live conversion on a long document: one keystroke in the middle, and the
// whole text converted afresh with and without the format copy.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <memory>

#include "CodePage.h"
#include "Corpus.h"
#include "Dictionary.h"
#include "trans.h"
#include "uMain.h"

namespace {

constexpr size_t kLines = 2000;
constexpr size_t kLineWords = 5;

class TNoReporter : public TDictionaryReporter {
 public:
  void Warning(const std::string&) override {}
  void Error(const std::string&) override {}
};

// A shown window holding the corpus document, converted once.
struct TLoadedWindow {
  TLoadedWindow() {
    SameAttributes = false;
    form = std::make_unique<TMainForm>();
    form->show();
    in = form->findChild<RichEdit*>(QStringLiteral("EnglishRichEdit"));
    QString text;
    for (const std::string& line : corpus::Lines(kLines, kLineWords, 7)) {
      if (!text.isEmpty()) text += QLatin1Char('\n');
      text += QString::fromStdU16String(CodePage::ToUnicode(line));
    }
    in->textCursor().insertText(text);
    QCoreApplication::processEvents();
  }
  std::unique_ptr<TMainForm> form;
  RichEdit* in = nullptr;
};

void Press(QWidget* target, Qt::Key key, const QString& text = {}) {
  QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(target, &event);
}

void BM_TypeOneCharacterInTheMiddle(benchmark::State& state) {
  TLoadedWindow window;
  const int line = int(kLines / 2);
  window.in->SetCaret(window.in->LineIndex(line) + window.in->LineLength(line) / 2);
  for (auto _ : state) {
    Press(window.in, Qt::Key_A, QStringLiteral("a"));
    state.PauseTiming();
    Press(window.in, Qt::Key_Backspace);
    QCoreApplication::processEvents();
    state.ResumeTiming();
  }
  state.counters["characters"] = window.in->TextLength();
}
BENCHMARK(BM_TypeOneCharacterInTheMiddle)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void ReconvertAll(benchmark::State& state, bool sameAttributes) {
  TLoadedWindow window;
  SameAttributes = sameAttributes;
  for (auto _ : state) window.form->ReconvertAll();
  SameAttributes = false;
}

void BM_ReconvertAll(benchmark::State& state) {
  ReconvertAll(state, false);
}
BENCHMARK(BM_ReconvertAll)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_ReconvertAllSameAttributes(benchmark::State& state) {
  ReconvertAll(state, true);
}
BENCHMARK(BM_ReconvertAllSameAttributes)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

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
