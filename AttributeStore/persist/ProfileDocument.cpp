#include "persist/ProfileDocument.h"

namespace tiz {

namespace {

constexpr size_t kNoLine = static_cast<size_t>(-1);

// "[name]" after optional blanks; the name runs to the last ']' of the line.
bool ParseHeader(std::string_view line, std::string *name) {
  std::string_view text = TrimProfileBlanks(line);
  if (text.empty() || text.front() != '[') return false;
  size_t close = text.rfind(']');
  if (close == std::string_view::npos || close == 0) return false;
  *name = DecodeSectionName(TrimProfileBlanks(text.substr(1, close - 1)));
  return true;
}

// "key=value" with a non-empty key; both parts trimmed.
bool ParseKeyLine(std::string_view line, std::string_view *key, std::string_view *value) {
  size_t equals = line.find('=');
  if (equals == std::string_view::npos) return false;
  *key = TrimProfileBlanks(line.substr(0, equals));
  *value = TrimProfileBlanks(line.substr(equals + 1));
  return !key->empty();
}

bool IsBlankLine(std::string_view line) { return TrimProfileBlanks(line).empty(); }

}  // namespace

ProfileDocument::ProfileDocument() { sections_.emplace_back(); }

ProfileDocument::ProfileDocument(std::string_view text) : ProfileDocument() {
  size_t pos = 0;
  while (pos < text.size()) {
    size_t newline = text.find('\n', pos);
    if (newline == std::string_view::npos) {
      AddLine(text.substr(pos), LineEnd::kNone);
      break;
    }
    std::string_view line = text.substr(pos, newline - pos);
    LineEnd end = LineEnd::kLf;
    if (!line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
      end = LineEnd::kCrLf;
    }
    AddLine(line, end);
    pos = newline + 1;
  }
}

void ProfileDocument::AddLine(std::string_view text, LineEnd end) {
  std::string name;
  if (ParseHeader(text, &name)) {
    sections_.push_back(Section{std::move(name), {}});
    auto number = static_cast<uint32_t>(sections_.size() - 1);
    if (index_.emplace(sections_.back().name, number).second) listed_.push_back(number);
  }
  sections_.back().lines.push_back(Line{std::string(text), end});
}

int64_t ProfileDocument::FindSection(std::string_view name) const {
  auto it = index_.find(name);
  return it == index_.end() ? -1 : static_cast<int64_t>(it->second);
}

ProfileDocument::Section &ProfileDocument::FindOrAddSection(std::string_view name) {
  int64_t number = FindSection(name);
  if (number >= 0) return sections_[static_cast<size_t>(number)];
  // A blank line between sections, as the platform writes them.
  std::vector<Line> &last = sections_.back().lines;
  if (!last.empty() && !IsBlankLine(last.back().text)) last.push_back(Line{"", LineEnd::kCrLf});
  Section section{std::string(name), {}};
  section.lines.push_back(Line{"[" + EncodeSectionName(name) + "]", LineEnd::kCrLf});
  sections_.push_back(std::move(section));
  auto added = static_cast<uint32_t>(sections_.size() - 1);
  listed_.reserve(listed_.size() + 1);
  index_.emplace(sections_.back().name, added);
  listed_.push_back(added);
  return sections_.back();
}

size_t ProfileDocument::FindKeyLine(const Section &section, std::string_view key) {
  for (size_t i = 1; i < section.lines.size(); ++i) {
    std::string_view lineKey, value;
    if (ParseKeyLine(section.lines[i].text, &lineKey, &value) && ProfileNamesEqual(lineKey, key))
      return i;
  }
  return kNoLine;
}

bool ProfileDocument::FindValue(std::string_view section, std::string_view key,
                                std::string *value) const {
  int64_t number = FindSection(section);
  if (number < 0) return false;
  const Section &found = sections_[static_cast<size_t>(number)];
  size_t line = FindKeyLine(found, key);
  if (line == kNoLine) return false;
  std::string_view lineKey, spelling;
  ParseKeyLine(found.lines[line].text, &lineKey, &spelling);
  *value = DecodeProfileValue(spelling);
  return true;
}

void ProfileDocument::SetValue(std::string_view section, std::string_view key,
                               std::string_view value) {
  Section &target = FindOrAddSection(section);
  std::string encoded = EncodeProfileValue(value);
  size_t line = FindKeyLine(target, key);
  if (line != kNoLine) {
    // The key keeps the file's spelling of its name.
    std::string_view lineKey, spelling;
    ParseKeyLine(target.lines[line].text, &lineKey, &spelling);
    std::string text = std::string(lineKey) + "=" + encoded;
    target.lines[line] = Line{std::move(text), LineEnd::kCrLf};
  } else {
    // After the section's last non-blank line: blank lines keep separating
    // it from the next section.
    size_t at = target.lines.size();
    while (at > 1 && IsBlankLine(target.lines[at - 1].text)) --at;
    std::string text = std::string(key) + "=" + encoded;
    target.lines.insert(target.lines.begin() + static_cast<std::ptrdiff_t>(at),
                        Line{std::move(text), LineEnd::kCrLf});
  }
  modified_ = true;
}

void ProfileDocument::RemoveKey(std::string_view section, std::string_view key) {
  int64_t number = FindSection(section);
  if (number < 0) return;
  std::vector<Line> &lines = sections_[static_cast<size_t>(number)].lines;
  size_t line = FindKeyLine(sections_[static_cast<size_t>(number)], key);
  if (line == kNoLine) return;
  lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(line));
  modified_ = true;
}

std::string ProfileDocument::Render() const {
  size_t total = 0;
  for (const Section &section : sections_) {
    for (const Line &line : section.lines) total += line.text.size() + 2;
  }
  std::string out;
  out.reserve(total);
  const Line *lastLine = nullptr;
  for (const Section &section : sections_) {
    if (!section.lines.empty()) lastLine = &section.lines.back();
  }
  for (const Section &section : sections_) {
    for (const Line &line : section.lines) {
      out += line.text;
      // A line that had no end gets one when text now follows it.
      if (line.end == LineEnd::kLf)
        out += '\n';
      else if (line.end == LineEnd::kCrLf || &line != lastLine)
        out += "\r\n";
    }
  }
  return out;
}

}  // namespace tiz
