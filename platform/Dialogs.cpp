#include "Dialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QGuiApplication>

#include "ServiceSlot.h"

namespace Dialogs {

namespace {

std::unique_ptr<Service>& Installed() {
  static std::unique_ptr<Service> service;
  return service;
}

std::optional<FileChoice> RunFileDialog(QWidget* parent, const FileRequest& request,
                                        QFileDialog::AcceptMode mode) {
  QFileDialog dialog(parent, request.Title);
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                     : QFileDialog::ExistingFile);
  dialog.setNameFilter(request.Filter);
  const QStringList filters = dialog.nameFilters();
  if (request.FilterIndex >= 1 && request.FilterIndex <= filters.size())
    dialog.selectNameFilter(filters[request.FilterIndex - 1]);
  if (!request.FileName.isEmpty()) dialog.selectFile(request.FileName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const qsizetype chosen = filters.indexOf(dialog.selectedNameFilter());
  return FileChoice{dialog.selectedFiles().front(),
                    chosen >= 0 ? int(chosen) + 1 : request.FilterIndex};
}

template <typename Answer>
std::optional<Answer> NextAnswer(std::deque<std::optional<Answer>>& answers) {
  std::optional<Answer> answer;
  if (answers.empty()) return answer;
  answer.swap(answers.front());
  answers.pop_front();
  return answer;
}

}  // namespace

std::optional<FileChoice> QtService::Open(QWidget* parent, const FileRequest& request) {
  return RunFileDialog(parent, request, QFileDialog::AcceptOpen);
}

std::optional<FileChoice> QtService::Save(QWidget* parent, const FileRequest& request) {
  return RunFileDialog(parent, request, QFileDialog::AcceptSave);
}

std::optional<QFont> QtService::Font(QWidget* parent, const QFont& initial) {
  bool chosen = false;
  const QFont font = QFontDialog::getFont(&chosen, initial, parent);
  if (!chosen) return std::nullopt;
  return font;
}

std::optional<QColor> QtService::Colour(QWidget* parent, const QColor& initial) {
  const QColor colour = QColorDialog::getColor(initial, parent);
  if (!colour.isValid()) return std::nullopt;
  return colour;
}

std::optional<FileChoice> InProcessService::Open(QWidget*, const FileRequest& request) {
  Shown.push_back({Kind::Open, request, {}, {}});
  return NextAnswer(FileAnswers);
}

std::optional<FileChoice> InProcessService::Save(QWidget*, const FileRequest& request) {
  Shown.push_back({Kind::Save, request, {}, {}});
  return NextAnswer(FileAnswers);
}

std::optional<QFont> InProcessService::Font(QWidget*, const QFont& initial) {
  Shown.push_back({Kind::Font, {}, initial, {}});
  return NextAnswer(FontAnswers);
}

std::optional<QColor> InProcessService::Colour(QWidget*, const QColor& initial) {
  Shown.push_back({Kind::Colour, {}, {}, initial});
  return NextAnswer(ColourAnswers);
}

std::unique_ptr<Service> ForPlatform(const QString& platformName) {
  if (IsHeadlessPlatform(platformName)) return std::make_unique<InProcessService>();
  return std::make_unique<QtService>();
}

std::unique_ptr<Service> Install(std::unique_ptr<Service> service) {
  std::swap(Installed(), service);
  return service;
}

Service& Current() {
  if (!Installed()) Installed() = ForPlatform(QGuiApplication::platformName());
  return *Installed();
}

}  // namespace Dialogs
