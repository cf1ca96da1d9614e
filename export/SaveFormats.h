#pragma once
// The formats of "Save to file" and "Load from file", numbered as their dialogs' filter indexes,
// and the extension a saved name receives.
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <string_view>

enum TSaveFormat : uint8_t {
  sfRichText = 1,
  sfUnicodeText = 2,
  sfBitmap = 3,
  sfJpeg = 4,
  sfHtmlUnicode = 5,
  sfHtmlAnsi = 6,
  sfPdf = 7,
};

enum TLoadFormat : uint8_t { lfText = 1, lfRichText = 2 };

struct TFileFilter {
  std::string_view Filter;     // in Qt's file dialog syntax
  std::string_view Extension;  // given to a name without one
};

// In filter index order, from 1.
inline constexpr std::array<TFileFilter, 7> SaveFilters = {{
    {"Rich Text Format (*.rtf)", ".rtf"},
    {"Unicode Text Format (*.txt)", ".txt"},
    {"Bitmap Picture (*.bmp)", ".bmp"},
    {"Jpeg Picture (*.jpg)", ".jpg"},
    {"Html Format [unicode] (*.htm *.html)", ".htm"},
    {"Html Format [Ansi] (*.htm *.html)", ".htm"},
    {"PDF Document (*.pdf)", ".pdf"},
}};

inline constexpr std::array<TFileFilter, 2> LoadFilters = {{
    {"Text Documents (*.txt)", ".txt"},
    {"Rich Text Format (*.rtf)", ".rtf"},
}};

// The filters of a file dialog, joined as QFileDialog takes them.
template <size_t N>
QString FilterString(const std::array<TFileFilter, N>& filters) {
  QStringList all;
  for (const TFileFilter& filter : filters)
    all << QString::fromLatin1(filter.Filter.data(), qsizetype(filter.Filter.size()));
  return all.join(QStringLiteral(";;"));
}

// fileName with the format's extension appended when its name has none (no dot in it).
QString WithDefaultExtension(const QString& fileName, TSaveFormat format);
