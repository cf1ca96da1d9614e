#include "Variants.h"

#include "CodePage.h"
#include "Dictionary.h"
#include "DictionaryStage.h"
#include "SmartSpelling.h"
#include "trans.h"

namespace {

constexpr size_t kCaptionWidth = 30;
constexpr size_t kPictureWidth = 27;
// With smart spelling on, the submenu offers the likeliest of this many variants first.
constexpr size_t kRankedVariants = 1024;

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
  TVariantWalk(std::string_view word,
               const std::function<bool(const std::string&, float cost)>& emit)
      : word_(word), emit_(emit) {}

  void Expand(size_t i) {
    if (stopped_) return;
    if (i >= word_.size()) {
      stopped_ = !emit_(variant_, cost_);
      return;
    }
    Extend(word_.substr(i, 1), i + 1, 0);
    for (const TVariantRule& rule : VariantRules) {
      if (!word_.substr(i).starts_with(rule.Letters) || !Holds(rule.Condition, word_, i)) continue;
      for (const std::string_view alternative : rule.Alternatives)
        if (!alternative.empty())
          Extend(alternative, i + rule.Replaced, SubstitutionCostOf(rule.Letters, alternative));
    }
  }

 private:
  void Extend(std::string_view letters, size_t next, float cost) {
    const size_t length = variant_.size();
    variant_ += letters;
    cost_ += cost;
    Expand(next);
    cost_ -= cost;
    variant_.resize(length);
  }

  std::string_view word_;
  const std::function<bool(const std::string&, float cost)>& emit_;
  std::string variant_;
  float cost_ = 0;  // of the alternatives in variant_
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

void GenerateVariants(std::string_view word,
                      const std::function<bool(const std::string&, float cost)>& emit) {
  TVariantWalk(word, emit).Expand(0);
}

std::u16string TransliterateWithoutDictionary(std::string_view word) {
  const TDictionaryOff off;
  return TransliterateWord(word);
}

TSimilarWords SimilarWords(std::string_view word) {
  constexpr size_t kRoom = kOmittedNoticeItem - kFirstVariantItem;
  const size_t read = SmartSpelling ? kRankedVariants : kRoom;
  TSimilarWords result;
  std::vector<float> costs;  // of the letters each variant changed
  GenerateVariants(word, [&](const std::string& variant, float cost) {
    if (result.Words.size() == read) {
      result.Omitted = true;
      return false;
    }
    result.Words.push_back({variant, TransliterateWithoutDictionary(variant)});
    costs.push_back(cost);
    return true;
  });
  if (!SmartSpelling || result.Words.size() < 2) return result;
  // The word itself stays first; the others follow as smart spelling would weigh them as readings
  // of the word, and variants weighed alike keep their order.
  std::vector<std::pair<float, size_t>> ranks;
  for (size_t i = 1; i < result.Words.size(); ++i)
    ranks.emplace_back(costs[i] + ListPenalty(result.Words[i].Persian), i);
  std::stable_sort(ranks.begin(), ranks.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<TSimilarWord> ranked{std::move(result.Words.front())};
  for (size_t n = 0; n < ranks.size() && ranked.size() < kRoom; ++n)
    ranked.push_back(std::move(result.Words[ranks[n].second]));
  result.Omitted = result.Omitted || result.Words.size() > kRoom;
  result.Words = std::move(ranked);
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
