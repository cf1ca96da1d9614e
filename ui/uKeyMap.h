#pragma once
// The key map window: every letter rule's Latin key beside the Persian letter it writes,
// grouped by the key's first letter as the rule table groups them.
#include <QWidget>

class TKeyMapForm : public QWidget {
  Q_OBJECT
 public:
  explicit TKeyMapForm(QWidget* parent = nullptr);

 private:
  QWidget* SetupRules();
  QWidget* SetupNotes();
};
