#include "DictionaryIni.h"

#include <gtest/gtest.h>

// Found by argument lookup, so it stays outside the unnamed namespace.
void PrintTo(const TDictionaryIni::TSection& s, std::ostream* os) {
  *os << "[" << s.Name << "]";
  for (const std::string_view line : s.Lines) *os << " {" << line << "}";
}

namespace {

using namespace std::string_literals;
using Sections = std::vector<TDictionaryIni::TSection>;

TEST(DictionaryIni, ReadingRules) {
  struct Case {
    const char* what;
    std::string text;
    Sections expected;
  };
  const Case cases[] = {
      {"empty text", "", {}},
      {"lines before the first section are dropped", "a=b\n[S]\nc=d", {{"S", {"c=d"}}}},
      {"CR, LF and CR LF all end lines",
       "[S]\ra=1\nb=2\r\nc=3\n\rd=4",
       {{"S", {"a=1", "b=2", "c=3", "d=4"}}}},
      {"blanks and control characters trimmed at both ends",
       "[S]\n \t\x01 a = b \x7F\t\n",
       {{"S", {"a=b"}}}},
      {"only blanks around the first = go", "[S]\nk \t= v = w\n", {{"S", {"k=v = w"}}}},
      {"empty and comment lines skipped", "[S]\n\n;x=y\n  ; z\nk=v\n", {{"S", {"k=v"}}}},
      {"a line without = is kept as a line", "[S]\njust words\n", {{"S", {"just words"}}}},
      {"header name trimmed", "[  My Words \t]\nk=v", {{"My Words", {"k=v"}}}},
      {"a bracket line must close", "[S]\n[open\nk=v]\n", {{"S", {"[open", "k=v]"}}}},
      {"first occurrence of a name wins",
       "[S]\na=1\n[s]\nb=2\n[T]\nc=3\n[S]\nd=4",
       {{"S", {"a=1"}}, {"T", {"c=3"}}}},
      {"empty section kept", "[S]\n[T]\nk=v", {{"S", {}}, {"T", {"k=v"}}}},
      {"NUL and high bytes are ordinary inside a line",
       "[S]\nk\0x=\xE9\xFF\0\n"s,
       {{"S", {"k\0x=\xE9\xFF"s}}}},
  };
  for (const Case& c : cases) {
    TDictionaryIni ini;
    ini.Parse(c.text);
    EXPECT_EQ(ini.Sections(), c.expected) << c.what;
  }
}

TEST(DictionaryIni, AKeyWithoutAFaultReadsBackWhateverItsValue) {
  for (const std::string key : {"salam", "x]", "x;y", "a=b", ";x", " ;x", "[x", "[x]"}) {
    bool readsBack = true;
    for (const std::string value : {"v", "v]", ""}) {
      TDictionaryIni ini;
      ini.Parse("[S]\n" + key + "=" + value + "\n");
      const TLines* lines = ini.SectionLines("S");
      const std::string_view line = lines && lines->size() == 1 ? (*lines)[0] : "";
      const size_t eq = line.find('=');
      readsBack = readsBack && line.substr(0, eq) == key && line.substr(eq + 1) == value;
    }
    EXPECT_EQ(KeyFault(key) == TKeyFault::None, readsBack) << key;
  }
  EXPECT_EQ(KeyFault("a=b"), TKeyFault::HoldsEquals);
}

TEST(DictionaryIni, SectionsFoundWithoutRegardToCase) {
  TDictionaryIni ini;
  ini.Parse("[Whole Words]\nk=v\n[\xC9t\xE9]\nx=y\n");
  ASSERT_NE(ini.SectionLines("WHOLE words"), nullptr);
  EXPECT_EQ(*ini.SectionLines("whole WORDS"), TLines{"k=v"});
  ASSERT_NE(ini.SectionLines("\xE9T\xC9"), nullptr);
  EXPECT_EQ(ini.SectionLines("Whole"), nullptr);
}

TEST(DictionaryIni, WritingLayout) {
  TDictionaryIni ini;
  ini.Assign({"[Empty]"});
  EXPECT_EQ(ini.Text(), "[Empty]\r\n\r\n");
  ini.Parse("[Whole Words]\naya=aaya\nyani=ya`ni\n");
  ini.WriteString("Whole Words", "AYA", "aaaya");
  ini.WriteString("Prefix Words", "ghorbon", "ghorboon");
  EXPECT_EQ(
      ini.Text(),
      "[Whole Words]\r\nAYA=aaaya\r\nyani=ya`ni\r\n\r\n[Prefix Words]\r\nghorbon=ghorboon\r\n\r\n");
}

TEST(DictionaryIni, AssignedLinesAreReadLikeAFile) {
  TDictionaryIni ini;
  ini.Assign({"[A]", "k=v", ";gone=1", "[B]", "x=y\r\n[C]", " p = q "});
  EXPECT_EQ(ini.Sections(), (Sections{{"A", {"k=v"}}, {"B", {"x=y"}}, {"C", {"p=q"}}}));
}

}  // namespace
