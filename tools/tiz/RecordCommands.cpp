// tiz pack [--dword GROUP ITEM NUMBER | GROUP ITEM TEXT]...
// tiz unpack [FILE]
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <vector>

#include "Commands.h"
#include "Failure.h"
#include "TreeFiles.h"
#include "ValueText.h"
#include "tiz.h"

namespace tiztool {

namespace {

// The library formats a packed value in a work area of this many bytes.
constexpr size_t kMaxValueLength = 259;
// Field buffers for unpacking; a record is shorter than 200 bytes.
constexpr uint32_t kFieldLength = 1024;

struct Record {
  std::string group, item, value;
  bool isDword = false;
};

struct PackOptions {
  std::vector<std::string> dwordFields;  // GROUP ITEM NUMBER per --dword
  std::vector<std::string> textFields;   // GROUP ITEM TEXT per record
  CLI::App *command = nullptr;
  CLI::Option *dwordOption = nullptr;
};

// The records in command-line order: the parser keeps the values of --dword
// and of the positional arguments apart, but remembers the order it met them.
std::vector<Record> RecordsInOrder(const PackOptions &options) {
  std::vector<std::pair<bool, std::string>> fields;  // (from --dword, value)
  size_t dwordIndex = 0, textIndex = 0;
  for (const CLI::Option *option : options.command->parse_order()) {
    bool isDword = option == options.dwordOption;
    const auto &values = isDword ? options.dwordFields : options.textFields;
    size_t &index = isDword ? dwordIndex : textIndex;
    if (index < values.size()) fields.emplace_back(isDword, values[index++]);
  }
  if (fields.size() % 3 != 0) {
    throw UsageError("records need three arguments each: GROUP ITEM VALUE");
  }
  std::vector<Record> records;
  for (size_t i = 0; i < fields.size(); i += 3) {
    if (fields[i].first != fields[i + 2].first) {
      throw UsageError("--dword takes GROUP ITEM NUMBER together");
    }
    records.push_back(
        {fields[i].second, fields[i + 1].second, fields[i + 2].second, fields[i].first});
  }
  return records;
}

void CheckRecord(const Record &record) {
  for (const std::string *name : {&record.group, &record.item}) {
    if (name->empty() || name->find_first_of(" \t\r\n") != std::string::npos) {
      throw UsageError("a group or item must be a non-empty word: '" + *name + "'");
    }
  }
  if (record.value.find('\n') != std::string::npos) {
    throw UsageError("a value cannot hold a line feed");
  }
  if (!record.isDword && record.value.size() > kMaxValueLength) {
    throw UsageError("a text value is at most 259 characters");
  }
}

int RunPack(const PackOptions &options) {
  std::vector<Record> records = RecordsInOrder(options);
  if (records.empty()) throw UsageError("nothing to pack");
  size_t size = 1;
  for (const Record &record : records) {
    CheckRecord(record);
    size += record.group.size() + record.item.size() + record.value.size() + 16;
  }
  std::string buffer(size, '\0');
  for (size_t i = 0; i < records.size(); ++i) {
    const Record &record = records[i];
    int32_t result;
    if (record.isDword) {
      auto number = ParseDword(record.value);
      if (!number) throw UsageError("not a dword: " + record.value);
      uint32_t value = *number;
      result = UtilAttribute_Pack(buffer.data(), static_cast<uint32_t>(buffer.size()),
                                  record.group.c_str(), record.item.c_str(), 1, &value);
    } else {
      result =
          UtilAttribute_Pack(buffer.data(), static_cast<uint32_t>(buffer.size()),
                             record.group.c_str(), record.item.c_str(), 0, record.value.c_str());
    }
    Check(result, "record " + std::to_string(i), "packing");
  }
  std::cout << buffer.c_str();
  return kExitSuccess;
}

struct UnpackOptions {
  std::string file;
};

int RunUnpack(const UnpackOptions &options) {
  bool fromInput = options.file.empty() || options.file == "-";
  std::string source = fromInput ? "standard input" : options.file;
  std::string text;
  if (fromInput) {
    text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  } else {
    RequireReadableFile(options.file);
    std::ifstream in(options.file, std::ios::binary);
    if (!in) throw Failure(source + ": cannot open the file");
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  text.resize(std::char_traits<char>::length(text.c_str()));  // a C text ends at a NUL

  int32_t count = UtilAttribute_Count(text.c_str());
  std::string group(kFieldLength, '\0'), item(kFieldLength, '\0'), value(kFieldLength, '\0');
  for (int32_t index = 0; index < count; ++index) {
    uint32_t kind = 0, number = 0;
    value[0] = '\0';
    int32_t result = UtilAttribute_UnpackOneAttribute(
        text.c_str(), index, kFieldLength, group.data(), item.data(), &kind, &number, value.data());
    Check(result, source, "unpacking record " + std::to_string(index));
    std::cout << Printable(group.c_str()) << ' ' << Printable(item.c_str()) << ' '
              << (kind == 0 ? "dword " + std::to_string(number)
                            : "text " + Printable(value.c_str()))
              << '\n';
  }
  if (!text.empty() && text.back() != '\n') {
    std::cerr << "tiz unpack: " << source
              << ": the text after the last line feed is not a complete record\n";
  }
  return kExitSuccess;
}

}  // namespace

Command AddPackCommand(CLI::App &app) {
  auto options = std::make_shared<PackOptions>();
  CLI::App *pack = AddSubcommand(
      app, "pack", "Build record text from GROUP ITEM VALUE arguments",
      "Prints one record line per GROUP ITEM TEXT (a text record) or --dword GROUP ITEM NUMBER\n"
      "(a number), in the order given. A group or item is one word; a text is at most 259\n"
      "characters.");
  options->command = pack;
  pack->add_option("RECORDS", options->textFields, "GROUP ITEM TEXT, repeated");
  options->dwordOption =
      pack->add_option("--dword", options->dwordFields, "GROUP ITEM NUMBER: a DWORD record")
          ->expected(3)
          ->allow_extra_args(false)
          ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  return {pack, [options] { return RunPack(*options); }};
}

Command AddUnpackCommand(CLI::App &app) {
  auto options = std::make_shared<UnpackOptions>();
  CLI::App *unpack = AddSubcommand(
      app, "unpack", "List the records of a record text",
      "Prints one line per record: group, item, then \"dword\" and the number or \"text\" and\n"
      "the text. Text after the last line feed is no complete record and is not listed.");
  unpack->add_option("FILE", options->file, "Record text; standard input when absent or -");
  return {unpack, [options] { return RunUnpack(*options); }};
}

}  // namespace tiztool
