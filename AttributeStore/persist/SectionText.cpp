#include "persist/SectionText.h"

#include "persist/ProfileLines.h"
#include "persist/ProfileText.h"

namespace tiz {

namespace {

// The value of the first line of `key` in the section's lines, as spelled.
bool FindSpelledValue(std::string_view body, bool loneCr, std::string_view key,
                      std::string_view *spelled) {
  TextLines lines(body, loneCr);
  std::string_view line, spelledKey;
  LineEnd end;
  while (lines.Next(&line, &end)) {
    if (MatchKeyLine(line, key, &spelledKey, spelled)) return true;
  }
  return false;
}

// Only a double-quoted text holding a backslash can be escaped: the marker
// of its key acts on nothing else.
bool MayBeEscaped(std::string_view spelled) {
  return spelled.size() >= 2 && spelled.front() == '"' &&
         spelled.find('\\') != std::string_view::npos;
}

}  // namespace

void FindSectionValues(std::string_view body, const std::string_view *keys, size_t count,
                       bool *found, std::string_view *values, std::string *scratch) {
  for (size_t i = 0; i < count; ++i) found[i] = false;
  // A section without a lone CR splits at LFs alone, as the whole file
  // would: the lines are the same either way.
  const bool loneCr = HoldsLoneCr(body);
  size_t missing = count;
  TextLines lines(body, loneCr);
  std::string_view line, spelledKey;
  LineEnd end;
  while (missing > 0 && lines.Next(&line, &end)) {
    // A line matches at most one of keys that differ.
    for (size_t i = 0; i < count; ++i) {
      if (!found[i] && MatchKeyLine(line, keys[i], &spelledKey, &values[i])) {
        found[i] = true;
        --missing;
        break;
      }
    }
  }
  for (size_t i = 0; i < count; ++i) {
    if (!found[i]) continue;
    std::string_view spelled = values[i], marker;
    if (MayBeEscaped(spelled) &&
        FindSpelledValue(body, loneCr, EscapeMarkerKey(keys[i]), &marker) &&
        EscapeMarkerMatches(ReadProfileValue(marker), spelled)) {
      values[i] = ReadEscapedProfileValue(spelled, &scratch[i]);
    } else {
      values[i] = ReadProfileValue(spelled);
    }
  }
}

}  // namespace tiz
