#include "Variants.h"

#include "CodePage.h"
#include "Dictionary.h"
#include "DictionaryStage.h"
#include "trans.h"

namespace {

constexpr size_t kCaptionWidth = 30;
constexpr size_t kPictureWidth = 27;

bool Holds(TVariantCondition condition, std::string_view word, size_t i) {
  switch (condition) {
    case TVariantCondition::Always:
      return true;
    case TVariantCondition::FollowedByNotA:
      return i + 1 < word.size() && word[i + 1] != 'a';
    case TVariantCondition::AtLastPosition:
      return i + 1 == word.size();
    case TVariantCondition::NotAfterGSOrK:
      return i == 0 || (word[i - 1] != 'g' && word[i - 1] != 's' && word[i - 1] != 'k');
  }
  return false;
}

class TVariantWalk {
 public:
  TVariantWalk(std::string_view word, const std::function<bool(const std::string&)>& emit)
      : word_(word), emit_(emit) {}

  void Expand(size_t i) {
    if (stopped_) return;
    if (i >= word_.size()) {
      stopped_ = !emit_(variant_);
      return;
    }
    Extend(word_.substr(i, 1), i + 1);
    for (const TVariantRule& rule : VariantRules) {
      if (!word_.substr(i).starts_with(rule.Letters) || !Holds(rule.Condition, word_, i)) continue;
      for (const std::string_view alternative : rule.Alternatives)
        if (!alternative.empty()) Extend(alternative, i + rule.Replaced);
    }
  }

 private:
  void Extend(std::string_view letters, size_t next) {
    const size_t length = variant_.size();
    variant_ += letters;
    Expand(next);
    variant_.resize(length);
  }

  std::string_view word_;
  const std::function<bool(const std::string&)>& emit_;
  std::string variant_;
  bool stopped_ = false;
};

// word, blanks up to width characters with other, one blank, other; never fewer than that one.
template <typename Char>
std::basic_string<Char> Padded(std::basic_string<Char> word, std::basic_string_view<Char> other,
                               size_t width) {
  const size_t used = word.size() + other.size();
  word.append((used < width ? width - used : 0) + 1, Char(' '));
  word += other;
  return word;
}

}  // namespace

void GenerateVariants(std::string_view word, const std::function<bool(const std::string&)>& emit) {
  TVariantWalk(word, emit).Expand(0);
}

std::u16string TransliterateWithoutDictionary(std::string_view word) {
  const TDictionaryOff off;
  return TransliterateWord(word);
}

TSimilarWords SimilarWords(std::string_view word) {
  constexpr size_t kRoom = kOmittedNoticeItem - kFirstVariantItem;
  TSimilarWords result;
  GenerateVariants(word, [&](const std::string& variant) {
    if (result.Words.size() == kRoom) {
      result.Omitted = true;
      return false;
    }
    result.Words.push_back({variant, TransliterateWithoutDictionary(variant)});
    return true;
  });
  return result;
}

std::string VariantCaption(const TSimilarWord& variant) {
  return Padded<char>(variant.Word, PersianToAnsi(variant.Persian), kCaptionWidth);
}

std::u16string VariantPictureText(const TSimilarWord& variant) {
  return Padded<char16_t>(CodePage::ToUnicode(variant.Word), variant.Persian, kPictureWidth);
}

std::string_view CaptionVariant(std::string_view caption) {
  return caption.substr(0, caption.find(' '));
}
