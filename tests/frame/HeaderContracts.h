// The result lists of tiz.h, read out of the header's own comments: each
// exported function is governed by the comment right above it (or above the
// run of declarations it belongs to), whose sentence "Results: ..." names
// every result the function returns. A test holds the code to these lists.
#ifndef TIZ_TESTS_FRAME_HEADERCONTRACTS_H
#define TIZ_TESTS_FRAME_HEADERCONTRACTS_H

#include <cstdint>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace tiz_test {

// Results a list names in words rather than as codes.
enum class ResultKind {
  kCount,              // "the number of records": any value of 0 or more
  kImageLibraryError,  // "the image library's error word"
  kCallbackResult,     // "the display callback's result"
};

struct ExportContract {
  std::string name;
  std::vector<std::string> parameters;  // in order, as the header names them
  std::string results;                  // the sentence, for messages
  std::set<int32_t> codes;
  std::set<ResultKind> kinds;
};

struct HeaderContracts {
  std::map<std::string, ExportContract> exports;  // by function name
  std::map<std::string, int32_t> codes;           // TIZ_OK ... TIZ_E_NOT_PROVIDED
  std::vector<std::string> faults;                // what the header gets wrong
};

namespace detail {

// The comment's text without its frame: "/*", "*/" and each line's " * ".
inline std::string CommentText(const std::string &comment) {
  std::istringstream lines(comment);
  std::string line, text;
  while (std::getline(lines, line)) {
    size_t at = line.find_first_not_of(" \t");
    if (at == std::string::npos) continue;
    line = line.substr(at);
    if (line.rfind("/*", 0) == 0) line = line.substr(2);
    if (line.rfind("*/", 0) != 0 && line.rfind("*", 0) == 0) line = line.substr(1);
    size_t end = line.find("*/");
    if (end != std::string::npos) line = line.substr(0, end);
    text += line + " ";
  }
  return text;
}

inline bool IsWordByte(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// The list after "Results...:" up to the end of its sentence (a full stop
// outside parentheses, followed by a blank); empty when there is none.
inline std::string ResultsSentence(const std::string &text, int *count) {
  *count = 0;
  std::string first;
  for (size_t at = text.find("Results"); at != std::string::npos;
       at = text.find("Results", at + 1)) {
    if (at > 0 && IsWordByte(text[at - 1])) continue;
    size_t colon = text.find_first_of(":.", at);
    if (colon == std::string::npos || text[colon] != ':') continue;
    if (++*count > 1) continue;
    int depth = 0;
    size_t end = colon + 1;
    for (; end < text.size(); ++end) {
      char c = text[end];
      if (c == '(') ++depth;
      if (c == ')') --depth;
      if (c == '.' && depth == 0 && (end + 1 == text.size() || text[end + 1] == ' ')) break;
    }
    first = text.substr(colon + 1, end - colon - 1);
  }
  return first;
}

// The words of a text: runs of letters, digits, '_' and '-'.
inline std::vector<std::string> Words(const std::string &text) {
  std::vector<std::string> words;
  std::string word;
  for (char c : text + " ") {
    if (IsWordByte(c) || c == '-') {
      word += c;
    } else if (!word.empty()) {
      words.push_back(word);
      word.clear();
    }
  }
  return words;
}

inline bool IsNumber(const std::string &word) {
  size_t digits = word[0] == '-' ? 1 : 0;
  if (digits == word.size()) return false;
  for (size_t i = digits; i < word.size(); ++i) {
    if (word[i] < '0' || word[i] > '9') return false;
  }
  return true;
}

// The name of the function a declaration line declares, or empty.
inline std::string ExportName(const std::string &line) {
  size_t at = line.find("TIZ_API");
  if (at == std::string::npos) return "";
  at += 7;
  while (at < line.size() && line[at] == ' ') ++at;
  size_t end = at;
  while (end < line.size() && IsWordByte(line[end])) ++end;
  size_t open = end;
  while (open < line.size() && line[open] == ' ') ++open;
  if (end == at || open >= line.size() || line[open] != '(') return "";
  return line.substr(at, end - at);
}

inline std::vector<std::string> ParameterNames(const std::string &declaration) {
  std::vector<std::string> names;
  size_t open = declaration.find('('), close = declaration.rfind(')');
  std::istringstream parts(declaration.substr(open + 1, close - open - 1));
  std::string part;
  while (std::getline(parts, part, ',')) {
    std::vector<std::string> words = Words(part);
    if (!words.empty() && words.back() != "void") names.push_back(words.back());
  }
  return names;
}

}  // namespace detail

inline HeaderContracts ParseHeaderContracts(const std::string &header) {
  HeaderContracts out;
  std::istringstream defines(header);
  std::string line;
  while (std::getline(defines, line)) {
    std::istringstream words(line);
    std::string directive, name, value;
    words >> directive >> name >> value;
    if (directive == "#define" && name.rfind("TIZ_", 0) == 0 && name.rfind("TIZ_TYPE_", 0) != 0 &&
        !value.empty() && detail::IsNumber(value)) {
      out.codes[name] = std::stoi(value);
    }
  }

  std::istringstream lines(header);
  std::string comment, governing, declaration;
  bool inComment = false;
  while (std::getline(lines, line)) {
    if (inComment) {
      comment += line + "\n";
      if (line.find("*/") != std::string::npos) {
        inComment = false;
        governing = comment;
      }
      continue;
    }
    size_t at = line.find_first_not_of(" \t");
    std::string trimmed = at == std::string::npos ? "" : line.substr(at);
    if (trimmed.rfind("/*", 0) == 0) {
      comment = line + "\n";
      if (line.find("*/") != std::string::npos)
        governing = comment;
      else
        inComment = true;
      continue;
    }
    if (trimmed.rfind("#", 0) == 0 || trimmed.rfind("typedef", 0) == 0) {
      governing.clear();  // a declaration after these needs a comment of its own
      continue;
    }
    if (declaration.empty() && detail::ExportName(line).empty()) continue;
    declaration += line + " ";
    if (line.find(';') == std::string::npos) continue;
    ExportContract contract;
    contract.name = detail::ExportName(declaration);
    contract.parameters = detail::ParameterNames(declaration);
    declaration.clear();
    int sentences = 0;
    contract.results = detail::ResultsSentence(detail::CommentText(governing), &sentences);
    if (sentences != 1) {
      out.faults.push_back(contract.name + ": the comment above it has " +
                           std::to_string(sentences) + " \"Results:\" sentences, not one");
    }
    const std::string &r = contract.results;
    for (const std::string &word : detail::Words(r)) {
      auto code = out.codes.find(word);
      if (code != out.codes.end()) contract.codes.insert(code->second);
      if (detail::IsNumber(word)) contract.codes.insert(std::stoi(word));
    }
    if (r.find("number of records") != std::string::npos) contract.kinds.insert(ResultKind::kCount);
    if (r.find("image library's error word") != std::string::npos)
      contract.kinds.insert(ResultKind::kImageLibraryError);
    if (r.find("display callback's result") != std::string::npos)
      contract.kinds.insert(ResultKind::kCallbackResult);
    if (contract.codes.empty() && contract.kinds.empty())
      out.faults.push_back(contract.name + ": its results name no code");
    out.exports[contract.name] = std::move(contract);
  }
  return out;
}

}  // namespace tiz_test

#endif
