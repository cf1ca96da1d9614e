// The word lists' reader (aspell's dump, the frequency list): any bytes load without fault, and
// the lines read in two pieces give the same lists as read at once, however the words fall into
// the reader's batches.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "Skeleton.h"
#include "Utf8.h"
#include "WordList.h"

namespace {

bool SameInfo(const TWordInfo* a, const TWordInfo* b) {
  if (!a || !b) return a == b;
  return a->Count == b->Count && a->Lists == b->Lists && a->Joiners == b->Joiners;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const TWordListBit list = data[0] % 3 == 0 ? wlCore : data[0] % 3 == 1 ? wlFull : wlFrequency;
  const std::string_view text(reinterpret_cast<const char*>(data) + 2, size - 2);
  // The second piece begins after a line end, as the reader is handed whole lines.
  const size_t lineEnd = text.find('\n', data[1] * text.size() / 256);
  const size_t cut = lineEnd == std::string_view::npos ? text.size() : lineEnd + 1;

  TWordList whole, pieces;
  whole.AddLines(text, list);
  pieces.AddLines(text.substr(0, cut), list);
  pieces.AddLines(text.substr(cut), list);

  std::u16string persian, key, skeleton;
  for (std::string_view rest = text; !rest.empty();) {
    const size_t end = std::min(rest.find('\n'), rest.size());
    const std::string_view line = rest.substr(0, std::min(end, rest.find(' ')));
    rest.remove_prefix(std::min(end + 1, rest.size()));
    persian.clear();
    key.clear();
    if (!Utf8::Decode(line, persian)) continue;
    AppendLookupKey(persian, key);
    if (key.empty()) continue;
    const TWordInfo* found = whole.Find(key);
    if (!SameInfo(found, pieces.Find(key))) std::abort();
    // A listed word begins a key at every length, and its skeleton's entries are listed words.
    if (found && !whole.BeginsKey(key)) std::abort();
    skeleton.clear();
    AppendSkeleton(key, skeleton);
    for (const uint32_t entry : whole.SameSkeleton(skeleton))
      if (!whole.Find(whole.Key(entry))) std::abort();
  }
  return 0;
}
