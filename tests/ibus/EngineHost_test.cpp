#include "EngineHost.h"

#include <gtest/gtest.h>

#include "AtomicFile.h"
#include "EngineOptionNames.h"
#include "EngineTestSupport.h"
#include "SmartSpelling.h"

namespace {

std::string SettingsText(bool smart, bool modern) {
  return std::string(
             "Windows Registry Editor Version 5.00\n\n"
             "[HKEY_CURRENT_USER\\Software\\Quorvel Software Company\\Zefra]\n") +
         '"' + EngineOptionNames::kSmartSpelling + "\"=dword:0000000" + (smart ? "1" : "0") + "\n" +
         '"' + EngineOptionNames::kModernOrthography + "\"=dword:0000000" + (modern ? "1" : "0") +
         "\n";
}

// The panel's menu: its choices hold for the session, until the window saves new settings.
using EngineHostTest = EngineTest;

TEST_F(EngineHostTest, PanelChoicesHoldUntilTheWindowSavesSettings) {
  const std::filesystem::path dir = FreshTestDirectory("EngineHost");
  TEngineHost host;
  host.Files = {dir.string(), (dir / "Zefra.reg").string(), (dir / "Zefra.txt").string(),
                (dir / "Zefra.lock").string()};
  ASSERT_TRUE(AtomicFile::Replace(host.Files.Settings, SettingsText(false, false)));
  ASSERT_TRUE(host.ReloadIfChanged());
  EXPECT_FALSE(SmartSpelling);

  const uint64_t before = host.Generation;
  host.Smart = true;
  host.Modern = true;
  host.ApplySessionOptions();
  EXPECT_TRUE(SmartSpelling);
  EXPECT_TRUE(ModernOrthography);
  EXPECT_NE(host.Generation, before);  // the engines convert their pending words anew

  // The engine's own write of a chosen spelling is no word of the window's.
  CreateSections();
  AddDefaultEntries();
  ASSERT_TRUE(AtomicFile::Replace(host.Files.Dictionary, SavedImage().Text()));
  host.DictionaryWritten();
  EXPECT_FALSE(host.ReloadIfChanged());
  EXPECT_TRUE(SmartSpelling);

  ASSERT_TRUE(AtomicFile::Replace(host.Files.Settings, SettingsText(false, true)));
  ASSERT_TRUE(host.ReloadIfChanged());
  EXPECT_FALSE(SmartSpelling);
  EXPECT_TRUE(ModernOrthography);
}

}  // namespace
