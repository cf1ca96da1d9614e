// The program's start and end on the main window's side: the first run and upgrade notes, the
// stored settings, the tips at start and the dictionary saved as the window goes.
#include <QColor>
#include <QDir>
#include <QPalette>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <span>
#include <type_traits>

#include "Dictionary.h"
#include "EngineOptionNames.h"
#include "MessageBoxes.h"
#include "Registry.h"
#include "SmartSpelling.h"
#include "uMain.h"
#include "uSettings.h"
#include "uTipOfDay.h"

namespace {

// What this program writes as "Version"; any other value is an older or newer program's.
const QString kProgramVersion = QStringLiteral("0.3.4a beta");
const QString kVersionValue = QStringLiteral("Version");
// The largest point size a font of the panes can have; a stored size outside 1 .. this is
// refused rather than laid out.
constexpr uint32_t kLargestFontSize = 1638;

QString Lines(std::initializer_list<QString> lines) {
  QStringList list(lines);
  return list.join(QStringLiteral("\r\n"));
}

QString WelcomeText() {
  return Lines({
      QString(),
      QString(),
      QStringLiteral("I hope you enjoy this program.please read Readme.html before using."),
      QStringLiteral("Please report any bugs you might encounter to ") + QLatin1String(MakerEmail) +
          QStringLiteral(" ."),
      QStringLiteral("Please let me know your toughts and suggestions and how you feel using "
                     "this software,"),
      QStringLiteral("and what you want to be added in next releases and ... ."),
      QString(),
      QString(47, u' ') + QStringLiteral("Happy Romaneshing") + QString(7, u' '),
  });
}

QString UpgradeText() {
  return Lines({
      QStringLiteral("Very glad to see you have upgraded your Zefra."),
      QString(),
      QStringLiteral("Dont forget to check out new enhancment and features.Zefra is always getting "
                     "better.Have fun and enjoy it."),
      QStringLiteral("Zefra team"),
  });
}

// One stored module-level setting. Load reads the value and applies it at once, failing when it
// is missing or of another type; Save writes it, failing when the write failed.
struct TModuleSetting {
  const char* Name;
  bool (*Load)(const Registry& registry, const QString& name);
  bool (*Save)(Registry& registry, const QString& name);
};

template <auto& Setting>
constexpr TModuleSetting Boolean(const char* name) {
  return {name,
          [](const Registry& registry, const QString& name) {
            const std::optional<bool> value = registry.ReadBool(name);
            if (value) Setting = *value;
            return value.has_value();
          },
          [](Registry& registry, const QString& name) {
            return registry.WriteBool(name, Setting != 0);
          }};
}

template <auto& Setting>
constexpr TModuleSetting Integer(const char* name) {
  return {
      name,
      [](const Registry& registry, const QString& name) {
        const std::optional<uint32_t> value = registry.ReadInteger(name);
        if (value) Setting = static_cast<std::remove_reference_t<decltype(Setting)>>(*value);
        return value.has_value();
      },
      [](Registry& registry, const QString& name) { return registry.WriteInteger(name, Setting); }};
}

// The engine's and the English-word marking's values, also written at the first run.
constexpr TModuleSetting kModuleSettings[] = {
    Boolean<DictionaryMode>(EngineOptionNames::kDictionaryMode),
    Boolean<ChatMode>(EngineOptionNames::kChatMode),
    Boolean<TashdidMode>(EngineOptionNames::kTashdidMode),
    Boolean<PrefixMode>(EngineOptionNames::kPrefixMode),
    Boolean<SameAttributes>("Same Attributes"),
    Integer<EnglishStyle>("English_Romanesh.Style"),
    Integer<EnglishUnderlineType>("English_Romanesh.UnderLineType"),
    Integer<EnglishAnimationType>("English_Romanesh.AnimationType"),
    Integer<EnglishBackColor>("English_Romanesh.Background Color"),
    Boolean<SmartSpelling>(EngineOptionNames::kSmartSpelling),
    Boolean<ModernOrthography>(EngineOptionNames::kModernOrthography),
};
// How many of the values above versions before smart spelling wrote. Their files lack the later
// ones, and a missing value ends the reading, so those are read last, after the window's values:
// an older file loses nothing.
constexpr size_t kValuesOfOlderVersions = 9;
static_assert(kValuesOfOlderVersions <= std::size(kModuleSettings));

// One stored value of the main window, as TModuleSetting.
struct TWindowSetting {
  const char* Name;
  bool (*Load)(const Registry& registry, const QString& name, TMainForm& form);
  bool (*Save)(Registry& registry, const QString& name, const TMainForm& form);
};

// The main window's own values, written at the end of a run.
constexpr TWindowSetting kWindowSettings[] = {
    {"Correct and Add",
     [](const Registry& registry, const QString& name, TMainForm& form) {
       const std::optional<uint32_t> on = registry.ReadInteger(name);
       if (on) form.SetCorrectAndAdd(*on != 0);
       return on.has_value();
     },
     [](Registry& registry, const QString& name, const TMainForm& form) {
       return registry.WriteInteger(name, form.CorrectAndAdd() ? 1 : 0);
     }},
    {".Font Name",
     [](const Registry& registry, const QString& name, TMainForm& form) {
       // An absent name reads as no name; the pane then keeps its face rather than lose it.
       const std::optional<QString> face =
           registry.ValueExists(name) ? registry.ReadString(name) : QString();
       if (face && !face->isEmpty()) {
         QFont font = form.FarsiFont();
         font.setFamily(*face);
         form.SetFarsiFont(font);
       }
       return face.has_value();
     },
     [](Registry& registry, const QString& name, const TMainForm& form) {
       return registry.WriteString(name, form.FarsiFont().family());
     }},
    {".Font Size",
     [](const Registry& registry, const QString& name, TMainForm& form) {
       const std::optional<uint32_t> size = registry.ReadInteger(name);
       if (size && *size >= 1 && *size <= kLargestFontSize) {
         QFont font = form.FarsiFont();
         font.setPointSize(int(*size));
         form.SetFarsiFont(font);
       }
       return size.has_value();
     },
     [](Registry& registry, const QString& name, const TMainForm& form) {
       return registry.WriteInteger(name, uint32_t(form.FarsiFont().pointSize()));
     }},
    {".Font Color",
     [](const Registry& registry, const QString& name, TMainForm& form) {
       const std::optional<uint32_t> color = registry.ReadInteger(name);
       if (color) form.SetFarsiFontColor(*color);
       return color.has_value();
     },
     [](Registry& registry, const QString& name, const TMainForm& form) {
       return registry.WriteInteger(name, form.FarsiFontColor());
     }},
    {"Copy Entire Mode",
     [](const Registry& registry, const QString& name, TMainForm& form) {
       // A mode that names no copy item ends the reading and changes nothing.
       const std::optional<uint32_t> mode = registry.ReadInteger(name);
       return mode && *mode <= uint32_t(std::numeric_limits<int>::max()) &&
              form.SetCopyEntireMode(int(*mode));
     },
     [](Registry& registry, const QString& name, const TMainForm& form) {
       return registry.WriteInteger(name, uint32_t(form.CopyEntireMode()));
     }},
};

}  // namespace

void CheckVersion(Registry& registry) {
  // A file Zefra could not read is no first run: the user hears about the file instead.
  const std::optional<QString> damaged = registry.KeepDamagedFile();
  if (damaged) MessageBoxes::Show(nullptr, MessageBoxes::Type::Warning, *damaged);
  if (!registry.KeyExists()) {
    if (!damaged) MessageBoxes::Show(nullptr, MessageBoxes::Type::Information, WelcomeText());
    registry.WriteString(kVersionValue, kProgramVersion);
    SaveSettings(registry, true, nullptr);
    return;
  }
  // An absent version is an empty one; one of another type skips the note, as an error would.
  const std::optional<QString> version =
      registry.ValueExists(kVersionValue) ? registry.ReadString(kVersionValue) : QString();
  if (version && *version != kProgramVersion) {
    MessageBoxes::Show(nullptr, MessageBoxes::Type::Information, UpgradeText());
    TTipOfDay::SetShowOnStartUp(registry, true);
  }
  registry.WriteString(kVersionValue, kProgramVersion);
}

void LoadSettings(const Registry& registry, TMainForm& form) {
  const auto load = [&registry](const TModuleSetting& setting) {
    return setting.Load(registry, QLatin1String(setting.Name));
  };
  const auto older = std::span(kModuleSettings).first(kValuesOfOlderVersions);
  const auto newer = std::span(kModuleSettings).subspan(kValuesOfOlderVersions);
  for (const TModuleSetting& setting : older)
    if (!load(setting)) return;
  for (const TWindowSetting& setting : kWindowSettings)
    if (!setting.Load(registry, QLatin1String(setting.Name), form)) return;
  for (const TModuleSetting& setting : newer)
    if (!load(setting)) return;
}

bool SaveSettings(Registry& registry, bool engineOnly, const TMainForm* form) {
  registry.BeginUpdate();
  bool written = std::all_of(std::begin(kModuleSettings), std::end(kModuleSettings),
                             [&](const TModuleSetting& setting) {
                               return setting.Save(registry, QLatin1String(setting.Name));
                             });
  if (written && !engineOnly && form)
    written = std::all_of(std::begin(kWindowSettings), std::end(kWindowSettings),
                          [&](const TWindowSetting& setting) {
                            return setting.Save(registry, QLatin1String(setting.Name), *form);
                          });
  return registry.EndUpdate() && written;
}

void TMainForm::ShowAtStartUp() {
  show();
  // Typing starts in the input pane, not in the tool bar's first box.
  EnglishRichEdit->setFocus();
  if (!TTipOfDay::ShowOnStartUp()) return;
  if (!TipOfDay1) {
    TipOfDay1 = new TTipOfDay(this);
    connect(TipOfDay1, &QDialog::finished, this, &TMainForm::TipOfDay1AfterExecute);
  }
  TipOfDay1->Execute();
}

void TMainForm::TipOfDay1AfterExecute() {
  if (SettingsForm) SettingsForm->SetTipsAtStartUp(TTipOfDay::ShowOnStartUp());
}

QFont TMainForm::FarsiFont() const {
  return FarsiRichEdit->font();
}

void TMainForm::SetFarsiFont(const QFont& font) {
  FarsiRichEdit->setFont(font);
}

void TMainForm::SetWholeOutputFont(const QFont& font, uint32_t color) {
  TFrozenDisplay frozen(*FarsiRichEdit);
  SetFarsiFont(font);
  SetFarsiFontColor(color);
  TCharFormat format;
  format.Color = FarsiFontColorRef;
  format.Name = font.family();
  format.Size = font.pointSize();
  format.Style =
      uint8_t((font.bold() ? fsBold : 0) | (font.italic() ? fsItalic : 0) |
              (font.underline() ? fsUnderline : 0) | (font.strikeOut() ? fsStrikeOut : 0));
  FarsiRichEdit->SetFormat(
      0, FarsiRichEdit->TextLength(), format,
      TCharFormat::fColor | TCharFormat::fFace | TCharFormat::fSize | TCharFormat::fStyle);
}

void TMainForm::SetFarsiFontColor(uint32_t color) {
  // Only a plain colour is the pane's own; any other value means the system's text colour.
  FarsiFontColorRef = color >> 24 ? clWindowText : color;
  QPalette colours = FarsiRichEdit->palette();
  colours.setColor(QPalette::Text, FarsiFontColorRef == clWindowText
                                       ? palette().color(QPalette::Text)
                                       : QColor(int(color & 0xFF), int(color >> 8 & 0xFF),
                                                int(color >> 16 & 0xFF)));
  FarsiRichEdit->setPalette(colours);
}

void TMainForm::FormDestroy() {
  SaveDictionaryFile();
}

void TMainForm::BringToFront() {
  setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
  show();
  raise();
  activateWindow();
}

void TMainForm::SaveUserFiles(Registry& registry) {
  SaveSettingsFile(registry);
  SaveDictionaryFile();
}

void TMainForm::SaveSettingsFile(Registry& registry) {
  if (!SaveSettings(registry, false, this))
    ReportUnsavedFile(registry.FileName(), registry.ErrorString());
}

void TMainForm::SaveDictionaryFile() {
  if (DictionaryFileKept()) return;
  errno = 0;
  if (SaveDictionary()) return;
  // The file's replacement ends at the call that failed, so errno still tells why.
  ReportUnsavedFile(QString::fromStdString(DictionaryFileName),
                    errno ? QString::fromLocal8Bit(std::strerror(errno))
                          : QStringLiteral("the file could not be replaced"));
}

void TMainForm::ReportUnsavedFile(const QString& fileName, const QString& reason) {
  if (UnsavedFilesReported.contains(fileName)) return;
  UnsavedFilesReported.append(fileName);
  const QString text = QStringLiteral("Zefra could not save \"%1\": %2.")
                           .arg(QDir::toNativeSeparators(fileName), reason);
  // After the window has gone, a box would hold up a logout or a kill.
  if (isVisible())
    MessageBoxes::Show(this, MessageBoxes::Type::Error, text);
  else
    std::fprintf(stderr, "zefra: %s\n", qPrintable(text));
}
