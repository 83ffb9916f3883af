#include "persist/ProfileDocument.h"

#include <cstring>
#include <memory>
#include <stdexcept>

#include "persist/ProfileNames.h"
#include "persist/ProfileText.h"

namespace tiz {

namespace {

char *Put(char *out, std::string_view text) {
  if (!text.empty()) std::memcpy(out, text.data(), text.size());
  return out + text.size();
}

}  // namespace

ProfileDocument::ProfileDocument() { m_sections.emplace_back(); }

ProfileDocument::ProfileDocument(std::string text)
    : m_source(std::make_unique<const std::string>(std::move(text))) {
  m_sections.emplace_back();
  Parse(*m_source);
}

void ProfileDocument::Parse(std::string_view text) {
  // A UTF-8 byte order mark is no part of the first line; a rewrite keeps it.
  if (text.substr(0, 3) == "\xEF\xBB\xBF") {
    m_bom = text.substr(0, 3);
    text.remove_prefix(3);
  }
  const char *sectionStart = text.data();
  std::string_view body = text;
  m_loneCr = HoldsLoneCr(text);
  m_hasNul = std::memchr(text.data(), '\0', text.size()) != nullptr;
  // A header line starts the next section; `after` is where its body starts.
  auto startSection = [&](std::string_view header, std::string_view name, const char *after) {
    m_sections.back().text = std::string_view(sectionStart, header.data() - sectionStart);
    sectionStart = header.data();
    // The platform's names end at a NUL.
    if (m_hasNul) name = name.substr(0, name.find('\0'));
    PushSection(NamedSection(name, ProfileNameHash(name)));
    m_sections.back().bodyStart = static_cast<size_t>(after - sectionStart);
  };
  std::string_view line, name;
  if (m_loneCr) {
    TextLines lines(body, true);
    LineEnd end;
    while (lines.Next(&line, &end)) {
      if (ParseHeader(line, &name)) startSection(line, name, lines.Rest().data());
    }
  } else {
    // Lines end at LF alone, and only a line whose first byte after blanks
    // is '[' can be a header: the search goes from '[' to '[' and looks at
    // no other line.
    const char *begin = body.data(), *end = begin + body.size();
    for (const char *at = begin; at < end;) {
      const auto *open =
          static_cast<const char *>(std::memchr(at, '[', static_cast<size_t>(end - at)));
      if (!open) break;
      const char *lineStart = open;
      while (lineStart > begin && lineStart[-1] != '\n' && IsProfileBlank(lineStart[-1]))
        --lineStart;
      if (lineStart > begin && lineStart[-1] != '\n') {
        at = open + 1;  // a '[' inside a line
        continue;
      }
      const auto *lf =
          static_cast<const char *>(std::memchr(open, '\n', static_cast<size_t>(end - open)));
      const char *lineEnd = lf ? lf : end;
      at = lf ? lf + 1 : end;
      line = std::string_view(lineStart, static_cast<size_t>(lineEnd - lineStart));
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      if (ParseHeader(line, &name)) startSection(line, name, at);
    }
  }
  m_sections.back().text = std::string_view(sectionStart, text.data() + text.size() - sectionStart);
  Reindex();
}

ProfileDocument::Section ProfileDocument::NamedSection(std::string_view name, size_t hash) {
  Section section;
  section.name = name;
  section.hash = hash;
  return section;
}

void ProfileDocument::PushSection(const Section &section) {
  // Section numbers are 32-bit; a file of four billion sections is refused.
  if (m_sections.size() >= kNoSection)
    throw std::length_error("profile file has too many sections");
  m_sections.push_back(section);
}

ProfileDocument::SectionNumber ProfileDocument::Lookup(std::string_view name, size_t hash) const {
  return m_index.Find(name, hash, [this](SectionNumber number) { return m_sections[number].name; });
}

ProfileDocument::SectionNumber ProfileDocument::FindSection(std::string_view name) const {
  name = TrimProfileBlanks(name);
  return Lookup(name, ProfileNameHash(name));
}

ProfileDocument::SectionNumber ProfileDocument::FindOrAddSection(std::string_view name) {
  SectionNumber found = FindOrAdd(name);
  m_expected = found + 1;
  return found;
}

ProfileDocument::SectionNumber ProfileDocument::FindOrAdd(std::string_view spelling) {
  if (m_expected < m_sections.size() && m_sections[m_expected].listed &&
      m_sections[m_expected].name == spelling)
    return m_expected;
  // The platform looks a name up without its blanks, and writes a new one
  // without those at its start.
  while (!spelling.empty() && IsProfileBlank(spelling.front())) spelling.remove_prefix(1);
  std::string_view name = TrimProfileBlanks(spelling);
  size_t hash = ProfileNameHash(name);
  SectionNumber found = Lookup(name, hash);
  if (found != kNoSection) return found;
  SeparateLastSection();
  char *header = m_arena.Allocate(spelling.size() + 2);
  char *out = header;
  *out++ = '[';
  out = Put(out, spelling);
  *out = ']';
  // The header holds the name.
  SectionNumber added = AddSection(std::string_view(header + 1, name.size()), hash);
  AppendLine(m_sections[added], std::string_view(header, spelling.size() + 2), LineEnd::kCrLf);
  m_modified = true;
  return added;
}

void ProfileDocument::SeparateLastSection() {
  // A blank line between sections, as the platform writes them.
  size_t lastKept = m_sections.size() - 1;
  while (lastKept > 0 && m_sections[lastKept].removed) --lastKept;
  Section &last = m_sections[lastKept];
  if (lastKept == m_appendedLast && !last.split) {
    // Its text ends in a key line; the CR LF after it is the blank line.
    last.text = std::string_view(last.text.data(), last.text.size() + 2);
    m_appendedLast = kNoSection;
    return;
  }
  m_appendedLast = kNoSection;
  if (!last.split && !last.text.empty()) Split(last);
  if (last.last != kNoLine && !IsBlankLine(m_lines[last.last].text))
    AppendLine(last, "", LineEnd::kCrLf);
}

ProfileDocument::SectionNumber ProfileDocument::AppendSection(std::string_view spelling,
                                                              const KeyValue *keys, size_t count) {
  // Named as FindOrAdd names a new section.
  while (!spelling.empty() && IsProfileBlank(spelling.front())) spelling.remove_prefix(1);
  std::string_view name = TrimProfileBlanks(spelling);
  if (name.empty() || count > kMostAppendedKeys) return kNoSection;
  size_t hash = ProfileNameHash(name);
  if (Lookup(name, hash) != kNoSection) return kNoSection;
  // Values the reader would change are spelled apart, before the size is known.
  std::string spelled[kMostAppendedKeys], markers[kMostAppendedKeys];
  ValueSpelling spellings[kMostAppendedKeys];
  size_t size = spelling.size() + 4;  // "[name]" CR LF
  for (size_t i = 0; i < count; ++i) {
    spellings[i] = SpellingOf(keys[i].value);
    std::string_view value = keys[i].value;
    if (spellings[i] != ValueSpelling::kPlain) {
      spelled[i] = SpellValue(value, spellings[i]);
      value = spelled[i];
    }
    size += keys[i].key.size() + 1 + value.size() + 2;
    if (spellings[i] == ValueSpelling::kEscaped) {
      markers[i] = EscapeMarkerValue(spelled[i]);
      size += EscapeMarkerKey(keys[i].key).size() + 1 + markers[i].size() + 2;
    }
  }
  SeparateLastSection();
  // Room for a CR LF after the text: the blank line before a next section.
  char *text = m_arena.Allocate(size + 2);
  char *out = text;
  *out++ = '[';
  out = Put(out, spelling);
  out = Put(out, "]\r\n");
  size_t bodyStart = static_cast<size_t>(out - text);
  auto putLine = [&out](std::string_view key, std::string_view value) {
    out = Put(out, key);
    *out++ = '=';
    out = Put(out, value);
    out = Put(out, "\r\n");
  };
  for (size_t i = 0; i < count; ++i) {
    putLine(keys[i].key, spellings[i] == ValueSpelling::kPlain ? keys[i].value : spelled[i]);
    if (spellings[i] == ValueSpelling::kEscaped) putLine(EscapeMarkerKey(keys[i].key), markers[i]);
  }
  Put(out, "\r\n");
  Section section = NamedSection(std::string_view(text + 1, name.size()), hash);
  section.text = std::string_view(text, size);
  section.bodyStart = bodyStart;
  section.listed = true;
  PushSection(section);
  auto added = static_cast<SectionNumber>(m_sections.size() - 1);
  m_listed.push_back(added);
  m_index.Insert(hash, added);
  m_appendedLast = added;
  m_expected = added + 1;
  m_modified = true;
  return added;
}

ProfileDocument::SectionNumber ProfileDocument::AddSection(std::string_view name, size_t hash) {
  Section section = NamedSection(name, hash);
  section.split = true;
  section.listed = true;
  PushSection(section);
  auto number = static_cast<SectionNumber>(m_sections.size() - 1);
  m_listed.push_back(number);
  m_index.Insert(hash, number);
  return number;
}

void ProfileDocument::Split(Section &section) {
  TextLines lines(section.text, m_loneCr);
  std::string_view line;
  LineEnd end;
  while (lines.Next(&line, &end)) AppendLine(section, line, end);
  section.text = std::string_view();
  section.split = true;
}

uint32_t ProfileDocument::NewLine(std::string_view text, LineEnd end) {
  // Line numbers are 32-bit; four billion lines are refused.
  if (m_lines.size() >= kNoLine) throw std::length_error("profile file has too many lines");
  m_lines.push_back(Line{text, kNoLine, end});
  return static_cast<uint32_t>(m_lines.size() - 1);
}

void ProfileDocument::AppendLine(Section &section, std::string_view text, LineEnd end) {
  uint32_t added = NewLine(text, end);
  if (section.last == kNoLine)
    section.first = added;
  else
    m_lines[section.last].next = added;
  section.last = added;
}

ProfileDocument::KeyLine ProfileDocument::FindKeyLine(const Section &section,
                                                      std::string_view key) const {
  KeyLine found;
  if (!section.split) {
    TextLines lines(section.text.substr(section.bodyStart), m_loneCr);
    while (lines.Next(&found.text, &found.end)) {
      if (MatchKeyLine(found.text, key, &found.key, &found.value)) {
        found.found = true;
        break;
      }
    }
    return found;
  }
  found.lastNonBlank = section.first;
  uint32_t previous = section.first;
  for (uint32_t i = m_lines[section.first].next; i != kNoLine; previous = i, i = m_lines[i].next) {
    const Line &line = m_lines[i];
    if (MatchKeyLine(line.text, key, &found.key, &found.value)) {
      found.found = true;
      found.text = line.text;
      found.end = line.end;
      found.line = i;
      found.previous = previous;
      return found;
    }
    if (!IsBlankLine(line.text)) found.lastNonBlank = i;
  }
  return found;
}

ProfileDocument::KeyLine ProfileDocument::SplitToEdit(Section &section, std::string_view key,
                                                      const KeyLine &found) {
  if (section.split) return found;
  Split(section);
  return FindKeyLine(section, key);
}

std::string_view ProfileDocument::MakeKeyLine(std::string_view key, std::string_view value,
                                              ValueSpelling spelling) {
  std::string spelled;
  if (spelling != ValueSpelling::kPlain) {
    spelled = SpellValue(value, spelling);
    value = spelled;
  }
  size_t size = key.size() + 1 + value.size();
  char *text = m_arena.Allocate(size);
  char *out = Put(text, key);
  *out++ = '=';
  Put(out, value);
  return std::string_view(text, size);
}

std::string_view ProfileDocument::DecodeValue(const Section &section, std::string_view key,
                                              std::string_view spelled,
                                              std::string *scratch) const {
  // Only a double-quoted text holding a backslash can be escaped; others
  // need no look for the marker.
  if (MayBeEscaped(spelled)) {
    std::string marker = EscapeMarkerKey(key);
    KeyLine found = FindKeyLine(section, marker);
    if (found.found && EscapeMarkerMatches(ReadProfileValue(found.value), spelled))
      return ReadEscapedProfileValue(spelled, scratch);
  }
  if (m_hasNul) return ReadProfileValue(spelled);
  // ReadProfileValue without the search for a NUL the text does not hold.
  if (spelled.size() >= 2 && (spelled.front() == '"' || spelled.front() == '\'') &&
      spelled.back() == spelled.front())
    return spelled.substr(1, spelled.size() - 2);
  return spelled;
}

bool ProfileDocument::FindValue(SectionNumber section, std::string_view key,
                                std::string *value) const {
  std::string_view found;
  if (!FindValue(section, key, &found, value)) return false;
  if (found.data() != value->data()) value->assign(found);
  return true;
}

bool ProfileDocument::FindValue(SectionNumber section, std::string_view key,
                                std::string_view *value, std::string *scratch) const {
  if (section == kNoSection) return false;
  KeyLine found = FindKeyLine(m_sections[section], key);
  if (!found.found) return false;
  *value = DecodeValue(m_sections[section], key, found.value, scratch);
  return true;
}

void ProfileDocument::FindValues(SectionNumber section, const std::string_view *keys, size_t count,
                                 bool *found, std::string_view *values,
                                 std::string *scratch) const {
  for (size_t i = 0; i < count; ++i) found[i] = false;
  if (section == kNoSection) return;
  const Section &target = m_sections[section];
  size_t missing = count;
  std::string_view spelledKey;
  // The first line of each key, as FindKeyLine finds it: a line matches at
  // most one of keys that differ.
  auto match = [&](std::string_view line) {
    for (size_t i = 0; i < count; ++i) {
      if (!found[i] && MatchKeyLine(line, keys[i], &spelledKey, &values[i])) {
        found[i] = true;
        --missing;
        return;
      }
    }
  };
  if (!target.split) {
    TextLines lines(target.text.substr(target.bodyStart), m_loneCr);
    std::string_view line;
    LineEnd end;
    while (missing > 0 && lines.Next(&line, &end)) match(line);
  } else if (target.first != kNoLine) {
    for (uint32_t i = m_lines[target.first].next; missing > 0 && i != kNoLine; i = m_lines[i].next)
      match(m_lines[i].text);
  }
  for (size_t i = 0; i < count; ++i) {
    if (found[i]) values[i] = DecodeValue(target, keys[i], values[i], &scratch[i]);
  }
}

void ProfileDocument::SetValue(SectionNumber section, std::string_view key,
                               std::string_view value) {
  ValueSpelling spelling = SpellingOf(value);
  bool wasEscaped = WriteLine(section, key, value, spelling);
  // The marker covers exactly the value written escaped. It only acts on a
  // quoted text holding a backslash, so a plain value needs no look for it
  // unless the line it replaces may have been escaped.
  if (spelling == ValueSpelling::kEscaped) {
    std::string marker = EscapeMarkerKey(key);
    WriteLine(section, marker, EscapeMarkerValue(SpellValue(value, spelling)),
              ValueSpelling::kPlain);
  } else if (wasEscaped || spelling == ValueSpelling::kQuoted) {
    RemoveLine(section, EscapeMarkerKey(key));
  }
}

bool ProfileDocument::MayBeEscaped(std::string_view spelled) {
  return spelled.size() >= 2 && spelled.front() == '"' &&
         spelled.find('\\') != std::string_view::npos;
}

bool ProfileDocument::WriteLine(SectionNumber section, std::string_view key, std::string_view value,
                                ValueSpelling spelling) {
  m_modified = true;
  Section &target = m_sections[section];
  // A save over the last one mostly writes what the line already says: the
  // section then needs neither a split nor a copy.
  KeyLine found = FindKeyLine(target, key);
  if (found.found && found.end == LineEnd::kCrLf && spelling == ValueSpelling::kPlain &&
      SpellsKeyLine(found.text, found.key, value))
    return false;
  bool wasEscaped = found.found && MayBeEscaped(found.value);
  found = SplitToEdit(target, key, found);
  if (found.found) {
    // The key keeps the file's spelling of its name.
    m_lines[found.line].text = MakeKeyLine(found.key, value, spelling);
    m_lines[found.line].end = LineEnd::kCrLf;
    return wasEscaped;
  }
  // After the section's last non-blank line: blank lines keep separating it
  // from the next section.
  uint32_t added = NewLine(MakeKeyLine(key, value, spelling), LineEnd::kCrLf);
  m_lines[added].next = m_lines[found.lastNonBlank].next;
  m_lines[found.lastNonBlank].next = added;
  if (target.last == found.lastNonBlank) target.last = added;
  return false;
}

void ProfileDocument::RemoveKey(SectionNumber section, std::string_view key) {
  if (section == kNoSection) return;
  if (RemoveLine(section, key)) RemoveLine(section, EscapeMarkerKey(key));
}

bool ProfileDocument::RemoveLine(SectionNumber section, std::string_view key) {
  Section &target = m_sections[section];
  KeyLine found = FindKeyLine(target, key);
  if (!found.found) return false;
  bool wasEscaped = MayBeEscaped(found.value);
  found = SplitToEdit(target, key, found);
  m_lines[found.previous].next = m_lines[found.line].next;
  if (target.last == found.line) target.last = found.previous;
  m_modified = true;
  return wasEscaped;
}

void ProfileDocument::RemoveSection(SectionNumber section) {
  if (section == kNoSection || section == 0 || section >= m_sections.size() ||
      m_sections[section].removed)
    return;
  Section &target = m_sections[section];
  target.removed = true;
  target.listed = false;
  target.split = true;
  target.text = std::string_view();
  target.first = target.last = kNoLine;
  if (m_expected == section) m_expected = kNoSection;
  Reindex();
  m_modified = true;
}

void ProfileDocument::Reindex() {
  m_index.Clear();
  m_listed.clear();
  for (Section &section : m_sections) section.listed = false;
  m_index.Reserve(m_sections.size());
  for (SectionNumber number = 1; number < m_sections.size(); ++number) {
    Section &section = m_sections[number];
    // A header of no name is ignored, as the platform ignores it: its keys
    // belong to no section that can be found.
    if (section.removed || section.name.empty() || Lookup(section.name, section.hash) != kNoSection)
      continue;
    section.listed = true;
    m_listed.push_back(number);
    m_index.Insert(section.hash, number);
  }
}

template <class Emit>
void ProfileDocument::EmitText(const Emit &emit) const {
  emit(m_bom);
  // A line that had no end (only the file's last line can) gets one when
  // text now follows it.
  bool endMissing = false;
  auto put = [&](std::string_view text) {
    if (endMissing) emit("\r\n");
    emit(text);
  };
  for (const Section &section : m_sections) {
    if (!section.split) {
      // Kept text holds its own line ends.
      if (section.text.empty()) continue;
      put(section.text);
      endMissing = section.text.back() != '\n' && section.text.back() != '\r';
      continue;
    }
    for (uint32_t i = section.first; i != kNoLine; i = m_lines[i].next) {
      const Line &line = m_lines[i];
      put(line.text);
      endMissing = line.end == LineEnd::kNone;
      if (line.end == LineEnd::kLf) emit("\n");
      if (line.end == LineEnd::kCrLf) emit("\r\n");
      if (line.end == LineEnd::kCr) emit("\r");
    }
  }
}

std::string ProfileDocument::Render() const {
  size_t total = 2 + m_bom.size();  // 2 for a last line that had no end
  for (const Section &section : m_sections) total += section.text.size();
  for (const Line &line : m_lines) total += line.text.size() + 2;
  std::string out(total, '\0');
  char *end = out.data();
  EmitText([&end](std::string_view text) { end = Put(end, text); });
  out.resize(static_cast<size_t>(end - out.data()));
  return out;
}

bool ProfileDocument::RenderInPieces(const std::function<bool(std::string_view)> &take) const {
  // Pieces of this size cost few calls, and the buffer comes from the heap
  // the document's own texts use: no fresh memory for a file of any size.
  constexpr size_t kPiece = 64 * 1024;
  std::unique_ptr<char[]> buffer(new char[kPiece]);
  size_t used = 0;
  bool ok = true;
  EmitText([&](std::string_view text) {
    while (ok && !text.empty()) {
      if (used == kPiece) {
        ok = take(std::string_view(buffer.get(), used));
        used = 0;
        continue;
      }
      size_t count = text.size() < kPiece - used ? text.size() : kPiece - used;
      std::memcpy(buffer.get() + used, text.data(), count);
      used += count;
      text.remove_prefix(count);
    }
  });
  if (ok && used > 0) ok = take(std::string_view(buffer.get(), used));
  return ok;
}

}  // namespace tiz
