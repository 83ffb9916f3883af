// The result lists of tiz.h, read out of the header's own comments: each
// exported function is governed by the comment right above it (or above the
// run of declarations it belongs to), whose sentence "Results: ..." names
// every result the function returns. A test holds the code to these lists.
#ifndef TIZ_TESTS_FRAME_HEADERCONTRACTS_H
#define TIZ_TESTS_FRAME_HEADERCONTRACTS_H

#include <cstdint>
#include <map>
#include <regex>
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

// The list after "Results...:" up to the end of its sentence (a full stop
// outside parentheses, followed by a blank); empty when there is none.
inline std::string ResultsSentence(const std::string &text, int *count) {
  static const std::regex kStart(R"(\bResults\b[^:.]*:)");
  std::smatch found;
  *count = 0;
  std::string first;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), kStart);
       it != std::sregex_iterator(); ++it) {
    ++*count;
    if (*count > 1) continue;
    size_t at = static_cast<size_t>(it->position() + it->length());
    int depth = 0;
    size_t end = at;
    for (; end < text.size(); ++end) {
      char c = text[end];
      if (c == '(') ++depth;
      if (c == ')') --depth;
      if (c == '.' && depth == 0 && (end + 1 == text.size() || text[end + 1] == ' ')) break;
    }
    first = text.substr(at, end - at);
  }
  return first;
}

inline std::vector<std::string> ParameterNames(const std::string &declaration) {
  std::vector<std::string> names;
  size_t open = declaration.find('('), close = declaration.rfind(')');
  std::string list = declaration.substr(open + 1, close - open - 1);
  std::istringstream parts(list);
  std::string part;
  static const std::regex kName(R"((\w+)\s*$)");
  while (std::getline(parts, part, ',')) {
    std::smatch name;
    if (std::regex_search(part, name, kName) && name[1] != "void") names.push_back(name[1]);
  }
  return names;
}

}  // namespace detail

inline HeaderContracts ParseHeaderContracts(const std::string &header) {
  HeaderContracts out;
  static const std::regex kDefine(R"(#define\s+(TIZ_[A-Z_]+)\s+(-?\d+))");
  for (auto it = std::sregex_iterator(header.begin(), header.end(), kDefine);
       it != std::sregex_iterator(); ++it) {
    std::string name = (*it)[1];
    if (name.rfind("TIZ_TYPE_", 0) != 0) out.codes[name] = std::stoi((*it)[2]);
  }

  static const std::regex kExport(R"(TIZ_API\s+(\w+)\s*\()");
  static const std::regex kCodeName(R"(\bTIZ_[A-Z_]+\b)");
  static const std::regex kNumber(R"((^|[\s(,;])(-?\d+)(?=[\s,;.)]|$))");
  std::istringstream lines(header);
  std::string line, comment, governing, declaration;
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
    if (!declaration.empty() || std::regex_search(line, kExport)) {
      declaration += line + " ";
      if (line.find(';') == std::string::npos) continue;
      std::smatch name;
      std::regex_search(declaration, name, kExport);
      ExportContract contract;
      contract.name = name[1];
      contract.parameters = detail::ParameterNames(declaration);
      declaration.clear();
      int sentences = 0;
      std::string text = detail::CommentText(governing);
      contract.results = detail::ResultsSentence(text, &sentences);
      if (sentences != 1) {
        out.faults.push_back(contract.name + ": the comment above it has " +
                             std::to_string(sentences) + " \"Results:\" sentences, not one");
      }
      const std::string &r = contract.results;
      for (auto it = std::sregex_iterator(r.begin(), r.end(), kCodeName);
           it != std::sregex_iterator(); ++it) {
        auto code = out.codes.find(it->str());
        if (code != out.codes.end()) contract.codes.insert(code->second);
      }
      for (auto it = std::sregex_iterator(r.begin(), r.end(), kNumber);
           it != std::sregex_iterator(); ++it) {
        contract.codes.insert(std::stoi((*it)[2]));
      }
      if (r.find("number of records") != std::string::npos)
        contract.kinds.insert(ResultKind::kCount);
      if (r.find("image library's error word") != std::string::npos)
        contract.kinds.insert(ResultKind::kImageLibraryError);
      if (r.find("display callback's result") != std::string::npos)
        contract.kinds.insert(ResultKind::kCallbackResult);
      if (contract.codes.empty() && contract.kinds.empty())
        out.faults.push_back(contract.name + ": its results name no code");
      out.exports[contract.name] = std::move(contract);
    }
  }
  return out;
}

}  // namespace tiz_test

#endif
