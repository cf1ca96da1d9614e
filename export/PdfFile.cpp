#include "PdfFile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPageLayout>
#include <QPdfWriter>
#include <QTextDocument>
#include <QTextOption>
#include <memory>

#include "ExportFile.h"

QString SavePdfFile(const QTextDocument& document, const QString& fileName) {
  // Written to memory first: the writer does not tell when its file fails.
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setCreator(QStringLiteral("Zefra"));
    writer.setTitle(QFileInfo(fileName).completeBaseName());
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter));
    std::unique_ptr<QTextDocument> copy(document.clone());
    copy->setDefaultFont(document.defaultFont());
    // Lines wrap at the page's width even when the pane showing them does not wrap.
    QTextOption option = document.defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    copy->setDefaultTextOption(option);
    copy->print(&writer);
  }
  if (buffer.data().isEmpty()) return ExportErrors::FailedToSaveStream;
  return WriteWholeFile(fileName, buffer.data());
}
