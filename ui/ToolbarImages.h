#pragma once
// The tool bar's glyphs, painted by Zefra at whatever size they are shown.
#include <QIcon>

// Image indexes of the tool bar's buttons.
enum TToolbarImage {
  tiBold = 0,
  tiItalic = 1,
  tiUnderline = 2,
  tiAlignLeft = 3,
  tiAlignCenter = 4,
  tiAlignRight = 5,
  tiBullets = 6,
  tiEnglishOff = 7,  // English-word switch up: typed words become Persian
  tiPersianKeyboard = 8,
  tiEnglishOn = 9,  // English-word switch down: typed words stay in Latin letters
  tiPaste = 10,
  tiUndo = 11,
};
constexpr int ToolbarImageCount = 12;

// The glyph of one image index; a null icon for an index outside 0..11.
QIcon ToolbarImage(int index);
