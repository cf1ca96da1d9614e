#include "RomaneshComposer.h"

#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "SmartSpelling.h"
#include "Utf8.h"
#include "WordListFiles.h"

namespace {

TComposerEvent Key(TComposerKey key, bool shift = false) {
  return {key, 0, shift, false};
}
TComposerEvent Char(char32_t c) {
  return {TComposerKey::Character, c, false, false};
}

class RomaneshComposerTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    AddDefaultEntries();
  }
  // Types text key by key; true when every key was the composer's.
  bool Type(std::string_view text) {
    bool all = true;
    for (const char c : text) all = composer.Handle(Char(static_cast<unsigned char>(c))) && all;
    return all;
  }
  TRomaneshComposer composer;
};

TEST_F(RomaneshComposerTest, TypedTextArrivesAsTheFilterConvertsTheLine) {
  for (const uint8_t chat : {0, 1}) {
    ChatMode = chat;
    const std::string line = "salam, khoobi? mer30 az hame; ma'loome ke chi shod. ";
    ASSERT_TRUE(Type(line));
    EXPECT_UNITS(composer.TakeCommitted(), ConvertLine(line)) << "chat " << int(chat);
    EXPECT_TRUE(composer.Preedit().empty());
  }
}

TEST_F(RomaneshComposerTest, PreeditFollowsTheRomaneshAsItIsEdited) {
  Type("salamx");
  EXPECT_TRUE(composer.TakeCommitted().empty());
  EXPECT_TRUE(composer.Handle(Key(TComposerKey::Backspace)));
  EXPECT_UNITS(composer.Preedit(), ConvertSegment("salam"));
  // Escape gives the word as typed; with nothing typed the keys are the program's.
  EXPECT_TRUE(composer.Handle(Key(TComposerKey::Escape)));
  EXPECT_EQ(composer.TakeCommitted(), u"salam");
  EXPECT_FALSE(composer.Handle(Key(TComposerKey::Backspace)));
  EXPECT_FALSE(composer.Handle(Key(TComposerKey::Escape)));
}

TEST_F(RomaneshComposerTest, KeysThatEndTheWordCommitItAndStillReachTheProgram) {
  Type("salam");
  EXPECT_FALSE(composer.Handle(Key(TComposerKey::Enter)));
  EXPECT_UNITS(composer.TakeCommitted(), ConvertSegment("salam"));
  Type("man");
  EXPECT_FALSE(composer.Handle({TComposerKey::Character, U'c', false, true}));  // Ctrl+C
  EXPECT_UNITS(composer.TakeCommitted(), ConvertSegment("man"));
  Type("to");
  EXPECT_FALSE(composer.Handle(Char(U'\u0627')));  // a letter from a Persian keyboard
  EXPECT_UNITS(composer.TakeCommitted(), ConvertSegment("to"));
}

TEST_F(RomaneshComposerTest, CapsLockSwitchesToEnglishAndBack) {
  Type("salam");
  EXPECT_FALSE(composer.Handle(Key(TComposerKey::CapsLock)));
  EXPECT_TRUE(composer.English());
  EXPECT_UNITS(composer.TakeCommitted(), ConvertSegment("salam"));
  EXPECT_FALSE(composer.Handle(Char(U'h')));
  EXPECT_TRUE(composer.Preedit().empty());
  // Shift+Caps Lock is for capitals and leaves the switch as it is.
  composer.Handle(Key(TComposerKey::CapsLock, true));
  EXPECT_TRUE(composer.English());
  composer.Handle(Key(TComposerKey::CapsLock));
  EXPECT_FALSE(composer.English());
  EXPECT_TRUE(composer.Handle(Char(U'h')));
  // Caps Lock that turns real capitals off again stays in Romanesh.
  composer.Handle({TComposerKey::CapsLock, 0, false, false, true});
  EXPECT_FALSE(composer.English());
}

TEST_F(RomaneshComposerTest, CandidatesOfferSimilarWordsOnceEachAndChoose) {
  Type("sabt");
  EXPECT_FALSE(composer.Handle(Key(TComposerKey::Up)));  // no table yet: the caret's key
  EXPECT_UNITS(composer.TakeCommitted(), ConvertSegment("sabt"));
  Type("sabt");
  ASSERT_TRUE(composer.Handle(Key(TComposerKey::Tab)));
  const auto& candidates = composer.Candidates();
  ASSERT_GT(candidates.size(), 2u);
  EXPECT_EQ(candidates[0].Persian, composer.Preedit());
  for (size_t i = 0; i < candidates.size(); ++i)
    for (size_t j = i + 1; j < candidates.size(); ++j)
      EXPECT_NE(candidates[i].Persian, candidates[j].Persian) << i << " " << j;

  composer.Handle(Key(TComposerKey::Enter));  // the rules' own spelling: nothing to learn
  EXPECT_EQ(composer.TakeCommitted(), ConvertSegment("sabt"));
  EXPECT_FALSE(composer.TakeLearned());

  Type("sabt");
  composer.Handle(Key(TComposerKey::Tab));
  composer.Handle(Key(TComposerKey::Down));
  const TComposerCandidate second = candidates[1];
  composer.Handle(Key(TComposerKey::Enter));
  EXPECT_EQ(composer.TakeCommitted(), second.Persian);
  EXPECT_TRUE(composer.Candidates().empty());
  EXPECT_TRUE(composer.Preedit().empty());
  const std::optional<TLearnedWord> learned = composer.TakeLearned();
  ASSERT_TRUE(learned);
  EXPECT_EQ(learned->Typed, "sabt");
  EXPECT_EQ(learned->Chosen, second.Romanesh);
  EXPECT_FALSE(composer.TakeLearned());  // handed over once

  Type("sabt");
  composer.Handle(Key(TComposerKey::Down));
  const std::u16string third = composer.Candidates()[2].Persian;
  EXPECT_TRUE(composer.Handle(Char(U'3')));
  EXPECT_EQ(composer.TakeCommitted(), third);
}

// The panel's smart spelling: the spellings the word lists know come first, the pre-edit too.
TEST_F(RomaneshComposerTest, SmartSpellingRanksListedSpellingsFirst) {
  Type("sabt");
  composer.Handle(Key(TComposerKey::Tab));
  const auto& candidates = composer.Candidates();
  ASSERT_GT(candidates.size(), 3u);
  const std::u16string last = candidates.back().Persian;
  const std::u16string beforeLast = candidates[candidates.size() - 2].Persian;
  composer.Clear();

  TWordListFiles files;
  std::string frequency;
  for (const std::u16string& listed : {last, beforeLast}) {
    Utf8::Append(listed, frequency);
    frequency += " 10\n";
  }
  files.Use("", "", frequency);
  SmartSpelling = 1;
  Type("sabt");
  composer.Handle(Key(TComposerKey::Tab));
  ASSERT_GT(candidates.size(), 2u);
  EXPECT_TRUE(IsListedWord(candidates[0].Persian));
  EXPECT_TRUE(IsListedWord(candidates[1].Persian));
  EXPECT_FALSE(IsListedWord(candidates[2].Persian));
  SetWordListSources({});
}

TEST_F(RomaneshComposerTest, TypingOnClosesTheTableAndKeepsTheWord) {
  Type("sab");
  composer.Handle(Key(TComposerKey::Tab));
  EXPECT_TRUE(composer.Handle(Char(U't')));
  EXPECT_TRUE(composer.Candidates().empty());
  EXPECT_UNITS(composer.Preedit(), ConvertSegment("sabt"));
}

TEST_F(RomaneshComposerTest, RefreshConvertsThePendingWordWithNewOptions) {
  Type("miram");
  ModernOrthography = 1;
  composer.Refresh();
  EXPECT_UNITS(composer.Preedit(), ConvertSegment("miram"));
  ModernOrthography = 0;
  EXPECT_NE(composer.Preedit(), ConvertSegment("miram"));
}

}  // namespace
