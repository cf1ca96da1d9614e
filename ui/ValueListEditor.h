#pragma once
// A two-column key/value grid over "key=value" lines: one row per entry and an empty last row to
// type a new one. Keys are unique and the dictionary file can hold every entry as typed; every edit
// passes the owner's check before it reaches the grid, so a refused edit leaves the grid as it was.
#include <QPersistentModelIndex>
#include <QPointer>
#include <QStringList>
#include <QTableWidget>
#include <functional>

class TLines;

enum TValueListColumn : int { vcKey = 0, vcValue = 1 };

class TValueListEditor : public QTableWidget {
  Q_OBJECT
 public:
  TValueListEditor(const QString& keyTitle, const QString& valueTitle, QWidget* parent = nullptr);

  // The owner's check of an edited row, with its key and value as the edit would leave them
  // (blanks at both ends already removed). It may change them; false refuses the edit, after
  // telling the user why.
  using TValidate = std::function<bool(int row, QString& key, QString& value)>;
  void SetValidate(TValidate validate) { validate_ = std::move(validate); }
  // A row whose key is emptied is deleted, instead of the edit being refused.
  void SetDeleteRowsWithoutKey(bool on) { deleteRowsWithoutKey_ = on; }
  // Entries of the page named page need a value too: a row that an edit leaves with a word and no
  // value returns to what it held once it is left (RefuseRowWithoutValue).
  void SetValueRequired(const QString& page) { valueRequiredPage_ = page; }
  // The values that the value column offers; with a list, values are only picked from it.
  void SetPickList(const QStringList& items) { pickList_ = items; }
  const QStringList& PickList() const { return pickList_; }

  // Replaces every row by the lines, each split at its first "=".
  void SetLines(const TLines& lines);
  // One "key=value" line per row that has a key, in row order.
  TLines Lines() const;
  // Rows holding entries; the empty row for a new entry follows them.
  int EntryCount() const { return rowCount() - 1; }
  QString Key(int row) const { return Text(row, vcKey); }
  QString Value(int row) const { return Text(row, vcValue); }
  QString Text(int row, int column) const;
  // The row whose key is key, or -1.
  int FindKey(const QString& key) const;

  // An empty row before row.
  void InsertEntryRow(int row);
  // A new last entry; false, changing nothing, when its key is already on the grid.
  bool AppendEntry(const QString& key, const QString& value);
  // Deletes an entry's row; the empty last row stays.
  void DeleteEntryRow(int row);
  // Commits an open cell editor, as leaving it does, so that its row can be moved or deleted.
  void CloseEditor();
  // Returns a row that an edit left with a word and no value to what it held before, telling the
  // user; true when there was one.
  bool RefuseRowWithoutValue();

 signals:
  // The entries changed: an edit, an insertion, a deletion.
  void StringsChange();
  // The cell editor of (row, column) opened.
  void EditStarted(int row, int column);
  // The cell editor's text while it is typed.
  void EditTextChanged(const QString& text);
  // The cell editor closed, its text taken or not.
  void EditEnded();
  void Entered();
  void Exited();

 protected:
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

 private:
  friend class TValueListDelegate;
  // The cell editor's text committed to (row, column), if the rules and the owner allow it.
  void CommitEdit(int row, int column, const QString& text);
  // Refuses an edit with a message; a row left without anything (a new one) goes.
  void Refuse(int row, const QString& message);
  void SetRow(int row, const QString& key, const QString& value);
  // Deletes the row once its cell editor has closed; with onlyEmpty, only if it holds nothing.
  void DeleteRowAfterEdit(int row, bool onlyEmpty);
  void EnsureEmptyLastRow();
  // Remembers what a row held before an edit left it with a word and no value.
  void NoteRowWithoutValue(int row, const QString& value);

  // A row left with a word and no value, and its key and value before.
  struct TRowBefore {
    QPersistentModelIndex Row;
    QString Key, Value;
  };

  TValidate validate_;
  QStringList pickList_;
  bool deleteRowsWithoutKey_ = false;
  QString valueRequiredPage_;
  TRowBefore rowWithoutValue_;
  QPointer<QWidget> editor_;
  // A message box shown during a commit takes the focus from the cell editor, which would commit
  // the same edit again.
  bool committing_ = false;
};
