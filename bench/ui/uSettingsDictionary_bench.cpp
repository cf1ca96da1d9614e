// The dictionary tab of the settings dialog at the sections' capacity: 65,535 entries on each of
// the five section pages and 5,000 English words. Filling the pages and applying them (with the
// file saved) must each stay under 1 s; a key typed into a cell, with the preview refreshed, under
// 5 ms (median). The commit of a typed cell is measured too.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextEdit>
#include <memory>

#include "Dictionary.h"
#include "MessageBoxes.h"
#include "trans.h"
#include "uMain.h"
#include "uSettings.h"

namespace {

constexpr size_t kSectionEntries = 65535;
constexpr size_t kEnglishWords = 5000;

// The n-th of a run of distinct lower-case words that begin with first.
std::string Word(char first, size_t n) {
  std::string word(1, first);
  do {
    word += char('a' + n % 26);
    n /= 26;
  } while (n);
  return word;
}

void FillSections() {
  const struct {
    TDicValueObject* Section;
    char First;
  } sections[] = {{WholeWords, 'b'},
                  {PrefixWords, 'c'},
                  {MiddleWords, 'd'},
                  {SuffixWords, 'f'},
                  {PoliteWords, 'g'}};
  for (const auto& [section, first] : sections) {
    std::vector<std::string> lines;
    for (size_t i = 0; i < kSectionEntries; ++i)
      lines.push_back(Word(first, i) + "=" + Word(first, i) + "a");
    section->LoadFromStrings(lines);
  }
  std::vector<std::string> english;
  for (size_t i = 0; i < kEnglishWords; ++i)
    english.push_back(Word('w', i) + (i % 2 ? "=Prefix" : "=Whole"));
  LoadEnglishWords(english);
}

void MarkAllModified() {
  for (TDicValueObject* section : {WholeWords, PrefixWords, MiddleWords, SuffixWords, PoliteWords,
                                   EnglishWholeWords, EnglishPrefixWords})
    section->Modified = true;
}

void Key(QWidget* to, Qt::Key key, const QString& text = {}) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(to, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QApplication::sendEvent(to, &release);
}

struct TDialog {
  TMainForm form;
  TSettingsForm settings{&form};
  QTabWidget* tabs = settings.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
  QTableWidget* whole = settings.findChild<QTableWidget*>(QStringLiteral("ValueListEditor_Whole"));

  // Shows the dialog again and opens the dictionary tab: the pages are filled.
  void OpenDictionaryTab(bool timed, benchmark::State& state) {
    settings.hide();
    MarkAllModified();
    settings.show();
    if (timed) state.ResumeTiming();
    tabs->setCurrentIndex(2);
    if (timed) state.PauseTiming();
    QCoreApplication::processEvents();
  }
  // Opens the cell editor on an entry of the Whole Words page.
  QLineEdit* EditCell(int row) {
    whole->setFocus();
    whole->setCurrentCell(row, 0);
    whole->edit(whole->model()->index(row, 0));
    return whole->viewport()->findChild<QLineEdit*>();
  }
};

void BM_FillDictionaryPages(benchmark::State& state) {
  TDialog dialog;
  for (auto _ : state) {
    state.PauseTiming();
    dialog.OpenDictionaryTab(true, state);
    state.ResumeTiming();
  }
  state.counters["rows"] = double(dialog.whole->rowCount());
}

void BM_ApplyDictionaryPages(benchmark::State& state) {
  TDialog dialog;
  dialog.OpenDictionaryTab(false, state);
  auto* apply = dialog.settings.findChild<QPushButton*>(QStringLiteral("ApplyBtn"));
  for (auto _ : state) apply->click();
  state.counters["entries"] = double(WholeWords->Count());
}

void BM_TypeAKeyIntoACell(benchmark::State& state) {
  TDialog dialog;
  dialog.OpenDictionaryTab(false, state);
  QLineEdit* editor = dialog.EditCell(30000);
  for (auto _ : state) {
    Key(editor, Qt::Key_S, QStringLiteral("s"));
    QCoreApplication::processEvents();  // the preview painted
    state.PauseTiming();
    Key(editor, Qt::Key_Backspace);
    state.ResumeTiming();
  }
  Key(editor, Qt::Key_S, QStringLiteral("s"));
  state.counters["preview"] =
      double(dialog.settings.findChild<QTextEdit*>(QStringLiteral("ResultRichEdit"))
                 ->toPlainText()
                 .size());
}

void BM_CommitATypedCell(benchmark::State& state) {
  TDialog dialog;
  dialog.OpenDictionaryTab(false, state);
  size_t n = 0;
  for (auto _ : state) {
    state.PauseTiming();
    QLineEdit* editor = dialog.EditCell(30000);
    editor->setText(QString::fromStdString(Word('x', n++)));
    state.ResumeTiming();
    Key(editor, Qt::Key_Return);
    // The cell editor commits from the event queue.
    QCoreApplication::processEvents();
  }
  state.counters["committed"] = double(dialog.whole->item(30000, 0)->text().startsWith('x'));
}

BENCHMARK(BM_FillDictionaryPages)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_ApplyDictionaryPages)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_TypeAKeyIntoACell)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(50)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_CommitATypedCell)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  benchmark::Initialize(&argc, argv);
  QApplication app(argc, argv);
  MessageBoxes::Install(std::make_unique<MessageBoxes::InProcessService>());
  QTemporaryDir dir;
  InitializeEngine();
  CreateSections();
  DictionaryFileName = QFile::encodeName(dir.filePath(QStringLiteral("Zefra.txt"))).toStdString();
  FillSections();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  FinishDictionaryModule();
  return 0;
}
