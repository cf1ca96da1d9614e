#include "RomaneshComposer.h"

#include <algorithm>
#include <utility>

#include "SmartSpelling.h"
#include "Variants.h"
#include "WordList.h"
#include "trans.h"

namespace {

bool IsAscii(char32_t c) {
  return c >= 0x20 && c < 0x7F;
}

// The candidate's Persian as the options write it: the similar words are the rules' own.
std::u16string OptionsSpelling(std::u16string persian) {
  if (ModernOrthography) ApplyModernOrthography(persian, 0);
  return persian;
}

}  // namespace

bool TRomaneshComposer::Handle(const TComposerEvent& event) {
  if (event.Key == TComposerKey::CapsLock) {
    // Shift+Caps Lock asks for real capitals, and turning those off again leaves the switch
    // alone too; while English is on, any plain press switches back.
    if (!event.Shift && (!event.CapsLockOn || english_)) SetEnglish(!english_);
    return false;
  }
  if (!candidates_.empty() && HandleCandidateKey(event)) return true;
  if (english_) return false;
  if (event.Command) {
    Flush();
    return false;
  }
  if (event.Key == TComposerKey::Character) return HandleCharacter(event.Character);
  return HandleEditingKey(event);
}

void TRomaneshComposer::Flush() {
  candidates_.clear();
  CommitWord();
}

void TRomaneshComposer::Clear() {
  candidates_.clear();
  SetTyped({});
}

std::u16string TRomaneshComposer::TakeCommitted() {
  std::u16string text;
  text.swap(committed_);
  return text;
}

std::optional<TLearnedWord> TRomaneshComposer::TakeLearned() {
  return std::exchange(learned_, std::nullopt);
}

void TRomaneshComposer::SetEnglish(bool english) {
  Flush();
  english_ = english;
}

void TRomaneshComposer::Refresh() {
  candidates_.clear();
  SetTyped(std::move(typed_));
}

bool TRomaneshComposer::HandleCandidateKey(const TComposerEvent& event) {
  const size_t count = candidates_.size();
  switch (event.Key) {
    case TComposerKey::Tab:
    case TComposerKey::Down:
      cursor_ = (cursor_ + 1) % count;
      return true;
    case TComposerKey::Up:
      cursor_ = (cursor_ + count - 1) % count;
      return true;
    case TComposerKey::PageDown:
      cursor_ = std::min(cursor_ + kPageSize, count - 1);
      return true;
    case TComposerKey::PageUp:
      cursor_ -= std::min(cursor_, kPageSize);
      return true;
    case TComposerKey::Enter:
      ChooseCandidate(cursor_);
      return true;
    case TComposerKey::Escape:
      candidates_.clear();
      return true;
    case TComposerKey::Character:
      if (event.Character >= U'1' && event.Character <= U'9' && !event.Command) {
        const size_t index = cursor_ / kPageSize * kPageSize + (event.Character - U'1');
        if (index < count) ChooseCandidate(index);
        return true;
      }
      break;
    default:
      break;
  }
  // Any other key closes the table and does what it does while typing.
  candidates_.clear();
  return false;
}

bool TRomaneshComposer::HandleEditingKey(const TComposerEvent& event) {
  if (typed_.empty()) return false;
  switch (event.Key) {
    case TComposerKey::Backspace:
      SetTyped(typed_.substr(0, typed_.size() - 1));
      return true;
    case TComposerKey::Escape: {
      // The word as typed, in Latin letters: the user's way out of a wrong conversion.
      const std::u16string latin(typed_.begin(), typed_.end());
      SetTyped({});
      Commit(latin);
      return true;
    }
    case TComposerKey::Tab:
    case TComposerKey::Down:
      OpenCandidates();
      return true;
    default:
      // Enter and the keys that move the caret end the word, then do their own work.
      CommitWord();
      return false;
  }
}

bool TRomaneshComposer::HandleCharacter(char32_t c) {
  if (!IsAscii(c)) {
    // A character of another keyboard: the program types it after the word.
    CommitWord();
    return false;
  }
  const char ascii = static_cast<char>(c);
  if (TakesIntoWord(ascii)) {
    SetTyped(typed_ + ascii);
    return true;
  }
  CommitWord(std::string_view(&ascii, 1));
  return true;
}

bool TRomaneshComposer::TakesIntoWord(char c) const {
  if (IsWordChar(static_cast<unsigned char>(c))) return true;
  // The engine reads an apostrophe after a, e or o as a backtick, inside the word.
  return c == '\'' && TreatAeMode && !typed_.empty() &&
         std::string_view("aeo").find(typed_.back()) != std::string_view::npos;
}

void TRomaneshComposer::OpenCandidates() {
  candidates_ = {{typed_, preedit_}};
  for (TSimilarWord& similar : SimilarWords(typed_).Words) {
    std::u16string persian = OptionsSpelling(std::move(similar.Persian));
    const bool known = std::any_of(candidates_.begin(), candidates_.end(),
                                   [&](const auto& c) { return c.Persian == persian; });
    if (!known) candidates_.push_back({std::move(similar.Word), std::move(persian)});
  }
  if (SmartSpelling)
    std::stable_partition(candidates_.begin() + 1, candidates_.end(),
                          [](const auto& c) { return IsListedWord(c.Persian); });
  cursor_ = 0;
}

void TRomaneshComposer::ChooseCandidate(size_t index) {
  const std::u16string persian = candidates_[index].Persian;
  // The first candidate is the rules' own spelling: choosing it teaches nothing.
  if (index > 0) learned_ = TLearnedWord{typed_, candidates_[index].Romanesh};
  candidates_.clear();
  SetTyped({});
  Commit(persian);
}

void TRomaneshComposer::Commit(std::u16string_view text) {
  committed_ += text;
}

void TRomaneshComposer::CommitWord(std::string_view separator) {
  if (typed_.empty() && separator.empty()) return;
  // Word and separator converted together, as a line holding them is: the separator decides
  // whether the word ends a clause, and the engine writes its own punctuation (، ؟ ؛).
  const std::u16string text = ConvertSegment(typed_ + std::string(separator));
  SetTyped({});
  Commit(text);
}

void TRomaneshComposer::SetTyped(std::string typed) {
  typed_ = std::move(typed);
  preedit_ = typed_.empty() ? std::u16string() : ConvertSegment(typed_);
}
