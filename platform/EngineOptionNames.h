#pragma once
// The names under which the settings file keeps the engine's options: the window writes them and
// the input method reads the same values.
namespace EngineOptionNames {
inline constexpr char kDictionaryMode[] = "Trans.Dictionary Mode";
inline constexpr char kChatMode[] = "Trans.Chat Mode";
inline constexpr char kTashdidMode[] = "Trans.Tashdid Mode";
inline constexpr char kPrefixMode[] = "Trans.Prefix Mode";
inline constexpr char kSmartSpelling[] = "Trans.Smart Spelling";
inline constexpr char kModernOrthography[] = "Trans.Modern Orthography";
}  // namespace EngineOptionNames
