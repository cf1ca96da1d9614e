#include "RtfFormat.h"

#include <QTextBlockFormat>

TRtfAlignment VisualAlignment(const QTextBlock& block) {
  const Qt::Alignment alignment = block.blockFormat().alignment();
  if (alignment & Qt::AlignHCenter) return TRtfAlignment::Center;
  if (alignment & Qt::AlignJustify) return TRtfAlignment::Justify;
  const bool rtl = block.textDirection() == Qt::RightToLeft;
  // Without AlignAbsolute, left and right mean the paragraph's start and end.
  const bool right = alignment & Qt::AlignRight;
  if (alignment & Qt::AlignAbsolute) return right ? TRtfAlignment::Right : TRtfAlignment::Left;
  return right != rtl ? TRtfAlignment::Right : TRtfAlignment::Left;
}

std::string_view AlignmentWord(TRtfAlignment seen) {
  switch (seen) {
    case TRtfAlignment::Right:
      return "qr";
    case TRtfAlignment::Center:
      return "qc";
    case TRtfAlignment::Justify:
      return "qj";
    case TRtfAlignment::Left:
      break;
  }
  return "ql";
}

TRtfAlignment AlignmentOfWord(std::string_view word) {
  if (word == "qr") return TRtfAlignment::Right;
  if (word == "qc") return TRtfAlignment::Center;
  if (word == "qj") return TRtfAlignment::Justify;
  return TRtfAlignment::Left;
}

Qt::Alignment QtAlignment(TRtfAlignment seen) {
  switch (seen) {
    case TRtfAlignment::Right:
      return Qt::AlignRight | Qt::AlignAbsolute;
    case TRtfAlignment::Center:
      return Qt::AlignHCenter;
    case TRtfAlignment::Justify:
      return Qt::AlignJustify;
    case TRtfAlignment::Left:
      break;
  }
  return Qt::AlignLeft | Qt::AlignAbsolute;
}

int CodePageOfCharset(int charset) {
  struct Entry {
    int Charset, CodePage;
  };
  static constexpr Entry kCharsets[] = {
      {0, 1252},   {77, 10000}, {128, 932},  {129, 949},  {134, 936},  {136, 950},
      {161, 1253}, {162, 1254}, {163, 1258}, {177, 1255}, {178, 1256}, {180, 1256},
      {186, 1257}, {204, 1251}, {222, 874},  {238, 1250}, {255, 437},
  };
  for (const Entry& entry : kCharsets)
    if (entry.Charset == charset) return entry.CodePage;
  return 0;
}

bool IsRightToLeft(char16_t unit) {
  return (unit >= 0x0590 && unit <= 0x08FF) || (unit >= 0xFB1D && unit <= 0xFDFF) ||
         (unit >= 0xFE70 && unit <= 0xFEFC);
}
