#include "ValueListEditor.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>
#include <algorithm>
#include <utility>

#include "DictionaryIni.h"
#include "EntryRefusal.h"
#include "MessageBoxes.h"
#include "RomanizedText.h"

// The cell editors: a line for keys and free values, a fixed list for picked values. Nothing is
// written to a cell but through the grid's CommitEdit.
class TValueListDelegate : public QStyledItemDelegate {
 public:
  explicit TValueListDelegate(TValueListEditor* grid) : QStyledItemDelegate(grid), grid_(grid) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                        const QModelIndex& index) const override {
    const int row = index.row();
    const int column = index.column();
    QWidget* editor = nullptr;
    if (column == vcValue && !grid_->PickList().isEmpty()) {
      // A value is picked for a word, so a row without one has nothing to pick.
      if (grid_->Key(row).isEmpty()) return nullptr;
      auto* pick = new QComboBox(parent);
      pick->addItems(grid_->PickList());
      connect(pick, &QComboBox::activated, this, [this, pick] {
        auto* self = const_cast<TValueListDelegate*>(this);
        emit self->commitData(pick);
        emit self->closeEditor(pick);
      });
      editor = pick;
    } else {
      auto* line = new QLineEdit(parent);
      line->setFrame(false);
      connect(line, &QLineEdit::textChanged, grid_, &TValueListEditor::EditTextChanged);
      editor = line;
    }
    grid_->editor_ = editor;
    emit grid_->EditStarted(row, column);
    return editor;
  }

  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    const QString text = grid_->Text(index.row(), index.column());
    if (auto* pick = qobject_cast<QComboBox*>(editor)) {
      // An empty value starts as the first of the list.
      pick->setCurrentIndex(std::max(0, int(pick->findText(text))));
      return;
    }
    // Entries are lower case: upper case is reserved for keeping the dictionary out.
    auto* line = static_cast<QLineEdit*>(editor);
    line->setText(text.toLower());
    line->selectAll();
  }

  void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
    const auto* pick = qobject_cast<QComboBox*>(editor);
    grid_->CommitEdit(index.row(), index.column(),
                      pick ? pick->currentText() : static_cast<QLineEdit*>(editor)->text());
  }

 private:
  TValueListEditor* grid_;
};

TValueListEditor::TValueListEditor(const QString& keyTitle, const QString& valueTitle,
                                   QWidget* parent)
    : QTableWidget(1, 2, parent) {
  setHorizontalHeaderLabels({keyTitle, valueTitle});
  horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  horizontalHeader()->setSectionsClickable(false);
  verticalHeader()->hide();
  // Fixed row heights spare the view from measuring tens of thousands of rows.
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSortingEnabled(false);
  setWordWrap(false);
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                  QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
  auto* delegate = new TValueListDelegate(this);
  setItemDelegate(delegate);
  connect(delegate, &QAbstractItemDelegate::closeEditor, this, &TValueListEditor::EditEnded);
}

QString TValueListEditor::Text(int row, int column) const {
  const QTableWidgetItem* cell = item(row, column);
  return cell ? cell->text() : QString();
}

int TValueListEditor::FindKey(const QString& key) const {
  for (int row = 0; row < rowCount(); ++row)
    if (Key(row) == key) return row;
  return -1;
}

void TValueListEditor::SetLines(const TLines& lines) {
  const QSignalBlocker blocker(this);
  setUpdatesEnabled(false);
  setRowCount(0);
  setRowCount(int(lines.size()) + 1);
  int row = 0;
  for (const std::string_view line : lines) {
    const size_t eq = line.find('=');
    setItem(row, vcKey, new QTableWidgetItem(FromAnsi(line.substr(0, eq))));
    const std::string_view value = eq == line.npos ? std::string_view() : line.substr(eq + 1);
    setItem(row, vcValue, new QTableWidgetItem(FromAnsi(value)));
    ++row;
  }
  setUpdatesEnabled(true);
}

TLines TValueListEditor::Lines() const {
  TLines lines;
  std::string line;
  for (int row = 0; row < rowCount(); ++row) {
    const QString key = Key(row);
    if (key.isEmpty()) continue;
    line = ToAnsi(key);
    line += '=';
    line += ToAnsi(Value(row));
    lines.push_back(line);
  }
  return lines;
}

void TValueListEditor::InsertEntryRow(int row) {
  insertRow(std::clamp(row, 0, EntryCount()));
  emit StringsChange();
}

bool TValueListEditor::AppendEntry(const QString& key, const QString& value) {
  if (FindKey(key) >= 0) return false;
  const int row = EntryCount();
  insertRow(row);
  SetRow(row, key, value);
  emit StringsChange();
  return true;
}

void TValueListEditor::DeleteEntryRow(int row) {
  if (row < 0 || row >= EntryCount()) return;
  removeRow(row);
  emit StringsChange();
}

void TValueListEditor::CloseEditor() {
  if (QWidget* editor = std::exchange(editor_, nullptr)) {
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
  }
}

bool TValueListEditor::RefuseRowWithoutValue() {
  const TRowBefore before = std::exchange(rowWithoutValue_, {});
  const int row = before.Row.row();
  if (!before.Row.isValid() || Key(row).isEmpty() || !Value(row).isEmpty()) return false;
  MessageBoxes::Show(this, MessageBoxes::Type::Error,
                     QStringLiteral("Please enter a word in the second column for \"%1\" too. An "
                                    "entry on the page \"%2\" needs both of its words; to "
                                    "remove it, delete both.")
                         .arg(Key(row), valueRequiredPage_));
  if (before.Key.isEmpty()) {
    DeleteEntryRow(row);
    return true;
  }
  SetRow(row, before.Key, before.Value);
  emit StringsChange();
  return true;
}

void TValueListEditor::focusInEvent(QFocusEvent* event) {
  QTableWidget::focusInEvent(event);
  emit Entered();
}

void TValueListEditor::focusOutEvent(QFocusEvent* event) {
  QTableWidget::focusOutEvent(event);
  // The grid's own cell editor and its popup menu keep it the grid in use.
  const QWidget* next = QApplication::focusWidget();
  if (event->reason() != Qt::PopupFocusReason && !(next && isAncestorOf(next))) emit Exited();
}

void TValueListEditor::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  // The view commits the cell editor of the row being left here.
  QTableWidget::currentChanged(current, previous);
  // Refused once the click or key that left the row has been handled.
  if (rowWithoutValue_.Row.isValid() && previous.row() == rowWithoutValue_.Row.row() &&
      current.row() != previous.row())
    QMetaObject::invokeMethod(this, &TValueListEditor::RefuseRowWithoutValue, Qt::QueuedConnection);
}

void TValueListEditor::CommitEdit(int row, int column, const QString& text) {
  if (committing_ || row < 0 || row >= rowCount()) return;
  const QScopedValueRollback guard(committing_, true);
  QString key = column == vcKey ? text.trimmed() : Key(row);
  QString value = column == vcValue ? text.trimmed() : Value(row);
  if (key == Key(row) && value == Value(row)) return;

  if (const QString refusal = EntryRefusal(key, value); !refusal.isEmpty()) {
    Refuse(row, refusal);
    return;
  }
  if (key.isEmpty()) {
    if (value.isEmpty() || deleteRowsWithoutKey_) {
      DeleteRowAfterEdit(row, false);
      return;
    }
    Refuse(row, QStringLiteral("Each entry needs a word in the first column. To remove an entry, "
                               "delete both of its words."));
    return;
  }
  if (validate_ && !validate_(row, key, value)) {
    DeleteRowAfterEdit(row, true);
    return;
  }
  if (const int other = FindKey(key); other >= 0 && other != row) {
    Refuse(row, QStringLiteral("\"%1\" is already in the first column. Each word can be entered "
                               "there only once.")
                    .arg(key));
    return;
  }
  NoteRowWithoutValue(row, value);
  SetRow(row, key, value);
  EnsureEmptyLastRow();
  emit StringsChange();
}

void TValueListEditor::Refuse(int row, const QString& message) {
  MessageBoxes::Show(this, MessageBoxes::Type::Error, message);
  DeleteRowAfterEdit(row, true);
}

void TValueListEditor::SetRow(int row, const QString& key, const QString& value) {
  for (const auto& [column, text] : {std::pair{vcKey, key}, std::pair{vcValue, value}}) {
    if (QTableWidgetItem* cell = item(row, column))
      cell->setText(text);
    else
      setItem(row, column, new QTableWidgetItem(text));
  }
}

void TValueListEditor::DeleteRowAfterEdit(int row, bool onlyEmpty) {
  // Removed at once, the row would take the open cell editor with it, and the view would stay
  // in its editing state for good.
  const QPersistentModelIndex index = model()->index(row, vcKey);
  QMetaObject::invokeMethod(
      this,
      [this, index, onlyEmpty] {
        const int row = index.row();
        if (!index.isValid() || (onlyEmpty && !(Key(row).isEmpty() && Value(row).isEmpty())))
          return;
        DeleteEntryRow(row);
      },
      Qt::QueuedConnection);
}

void TValueListEditor::NoteRowWithoutValue(int row, const QString& value) {
  // On the row the value is still to be typed on, the state before the first edit is the one to
  // return to; a row that came without a value from the file is left as it came.
  const bool noted = rowWithoutValue_.Row.isValid() && rowWithoutValue_.Row.row() == row;
  if (valueRequiredPage_.isEmpty() || !value.isEmpty()) {
    if (noted) rowWithoutValue_ = {};
    return;
  }
  if (noted || (!Key(row).isEmpty() && Value(row).isEmpty())) return;
  rowWithoutValue_ = {model()->index(row, vcKey), Key(row), Value(row)};
}

void TValueListEditor::EnsureEmptyLastRow() {
  const int last = rowCount() - 1;
  if (last < 0 || !Key(last).isEmpty() || !Value(last).isEmpty()) insertRow(rowCount());
}
