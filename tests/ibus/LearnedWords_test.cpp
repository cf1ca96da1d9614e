#include "LearnedWords.h"

#include <gtest/gtest.h>

#include <QLockFile>

#include "AtomicFile.h"
#include "EngineTestSupport.h"

namespace {

class LearnedWordsTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    const std::filesystem::path dir = FreshTestDirectory("LearnedWords");
    dictionary = (dir / "Zefra.txt").string();
    lock = (dir / "Zefra.lock").string();
    // The file as the window writes it.
    CreateSections();
    AddDefaultEntries();
    ASSERT_TRUE(AtomicFile::Replace(dictionary, SavedImage().Text()));
  }
  std::string dictionary;
  std::string lock;
  const TLearnedWord sabt{"sabt", "sabet"};
};

TEST_F(LearnedWordsTest, ChoiceIsKeptOnlyWhileNoWindowHoldsTheDictionary) {
  {
    QLockFile window(QString::fromStdString(lock));
    ASSERT_TRUE(window.tryLock(0));
    EXPECT_FALSE(LearningNote(lock).empty());
    const std::string before = FileText(dictionary);
    EXPECT_FALSE(StoreLearnedWord(dictionary, lock, sabt).empty());
    EXPECT_EQ(FileText(dictionary), before);
  }
  EXPECT_EQ(LearningNote(lock), "");
  EXPECT_EQ(StoreLearnedWord(dictionary, lock, sabt), "");
  EXPECT_FALSE(std::filesystem::exists(lock));  // the window can start again

  CreateSections();  // what the window reads at its next start
  ASSERT_TRUE(ReadDictionaryFile(dictionary));
  EXPECT_EQ(WholeWords->Find("sabt"), "sabet");
  EXPECT_EQ(WholeWords->Find("salam"), "salaam");  // the entries that were there stay
}

TEST_F(LearnedWordsTest, FileEditedOutsideTheWindowIsLeftAlone) {
  // A section the window does not know: a save from the sections would drop it.
  const std::string edited = FileText(dictionary) + "[Notes]\r\nmine=keep\r\n";
  ASSERT_TRUE(AtomicFile::Replace(dictionary, edited));
  EXPECT_NE(StoreLearnedWord(dictionary, lock, sabt), "");
  EXPECT_EQ(FileText(dictionary), edited);

  std::filesystem::remove(dictionary);
  EXPECT_NE(StoreLearnedWord(dictionary, lock, sabt), "");
  EXPECT_FALSE(std::filesystem::exists(dictionary));
}

}  // namespace
