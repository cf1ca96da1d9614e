#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QtTest>

#include "ExClipboard.h"

class tst_ExClipboard : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void aWriteReplacesTheClipboardAtOnce();
  void nestedOpensPublishOnceAtTheOutermostClose();
  void theFirstWriteOfAnOpenEmptiesTheClipboard();
  void anOpenWithoutWritesLeavesTheClipboard();
  void clearEmptiesTheClipboard();
  void picturesGoAsImagesAndComeBack();
  void theSharedObjectIsOne();

 private:
  QClipboard* clipboard = nullptr;
};

void tst_ExClipboard::init() {
  clipboard = QGuiApplication::clipboard();
  clipboard->setText(QStringLiteral("before"));
}

void tst_ExClipboard::aWriteReplacesTheClipboardAtOnce() {
  TExClipboard board;
  board.SetAsText(QStringLiteral(u"\u0633\u0644\u0627\u0645\nb"));
  QCOMPARE(clipboard->text(), QStringLiteral(u"\u0633\u0644\u0627\u0645\nb"));
  QCOMPARE(clipboard->mimeData()->formats(), QStringList{QStringLiteral("text/plain")});
}

void tst_ExClipboard::nestedOpensPublishOnceAtTheOutermostClose() {
  TExClipboard board;
  QSignalSpy changes(clipboard, &QClipboard::dataChanged);
  board.Open();
  board.Open();
  board.SetAsText(QStringLiteral("text"));
  board.SetBuffer(QStringLiteral("text/html"), "<b>text</b>");
  board.Close();
  QCOMPARE(clipboard->text(), QStringLiteral("before"));
  board.Close();
  QCOMPARE(changes.count(), 1);
  QCOMPARE(clipboard->text(), QStringLiteral("text"));
  QCOMPARE(clipboard->mimeData()->data(QStringLiteral("text/html")), QByteArray("<b>text</b>"));
  // A close too many does nothing.
  board.Close();
  QCOMPARE(changes.count(), 1);
}

void tst_ExClipboard::theFirstWriteOfAnOpenEmptiesTheClipboard() {
  TExClipboard board;
  board.SetBuffer(QStringLiteral("text/html"), "<i>old</i>");
  board.SetAsText(QStringLiteral("new"));
  QVERIFY(!clipboard->mimeData()->hasFormat(QStringLiteral("text/html")));
  QCOMPARE(clipboard->text(), QStringLiteral("new"));
}

void tst_ExClipboard::anOpenWithoutWritesLeavesTheClipboard() {
  TExClipboard board;
  board.Open();
  board.Close();
  QCOMPARE(clipboard->text(), QStringLiteral("before"));
}

void tst_ExClipboard::clearEmptiesTheClipboard() {
  TExClipboard board;
  board.Clear();
  QVERIFY(clipboard->text().isEmpty());
  QImage picture;
  QCOMPARE(board.AssignTo(picture), QStringLiteral("Invalid clipboard format"));
}

void tst_ExClipboard::picturesGoAsImagesAndComeBack() {
  QImage picture(20, 10, QImage::Format_RGB32);
  picture.fill(Qt::blue);
  TExClipboard board;
  board.Assign(picture);
  QVERIFY(clipboard->mimeData()->hasImage());
  QImage read;
  QCOMPARE(board.AssignTo(read), QString());
  QCOMPARE(read.convertToFormat(QImage::Format_RGB32), picture);
}

void tst_ExClipboard::theSharedObjectIsOne() {
  QCOMPARE(&ExClipboard(), &ExClipboard());
  ExClipboard().SetAsText(QStringLiteral("shared"));
  QCOMPARE(clipboard->text(), QStringLiteral("shared"));
}

QTEST_MAIN(tst_ExClipboard)
#include "tst_ExClipboard.moc"
