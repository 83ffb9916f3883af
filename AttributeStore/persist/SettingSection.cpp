#include "persist/SettingSection.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "core/Attribute.h"
#include "persist/ProfileKeys.h"
#include "persist/ProfileText.h"
#include "persist/TreeSections.h"
#include "tiz.h"

namespace tiz {

namespace {

// Copies a value into a buffer the read has checked it fits, as a C
// string. The document's values end at their first NUL already, as the
// platform's reader hands them over.
template <size_t N>
const char *CopyCString(std::string_view text, char (&buffer)[N]) {
  if (!text.empty()) std::memcpy(buffer, text.data(), text.size());
  buffer[text.size()] = '\0';
  return buffer;
}

// A section's three keys, read in one pass over its lines. Each reads as
// the profile keys read it: a missing key as its default, a text that does
// not fit its buffer with its NUL as kProfileTextTooLong.
class SettingKeys {
 public:
  explicit SettingKeys(const SectionSource &section) {
    static constexpr std::string_view kKeys[3] = {kSizeKey, kTypeKey, kValueKey};
    section.FindValues(kKeys, 3, m_found, m_values, m_scratch);
  }
  int32_t Word(size_t key, uint32_t *value) const {
    if (!m_found[key]) {
      *value = 0;
      return 0;
    }
    return ParseProfileWord(m_values[key], value);
  }
  int32_t Text(size_t key, uint64_t bufferSize, std::string_view *text) const {
    *text = m_found[key] ? m_values[key] : std::string_view();
    return text->size() < bufferSize ? 0 : kProfileTextTooLong;
  }
  bool Struct(size_t key, uint32_t size, std::unique_ptr<unsigned char[]> *data) const {
    return m_found[key] && ParseProfileStruct(m_values[key], size, data);
  }
  bool Found(size_t key) const { return m_found[key]; }

  static constexpr size_t kSize = 0, kType = 1, kValue = 2;

 private:
  bool m_found[3];
  std::string_view m_values[3];
  std::string m_scratch[3];
};

}  // namespace

int32_t ReadSettingSection(CAttribute &attr, const SectionSource &section, SectionFault *fault) {
  // Passes a code on, noting the fault of a failure.
  auto check = [fault](int32_t code, std::string_view key, const char *reason) {
    if (code != 0 && fault) *fault = SectionFault{key, reason};
    return code;
  };
  static constexpr const char *kNoWord = "has a Value that is no 32-bit number";
  attr.m_serializable = true;
  SettingKeys keys(section);
  uint32_t size = 0;
  if (int32_t r = keys.Word(SettingKeys::kSize, &size))
    return check(r, kSizeKey, "has a Size that is no 32-bit number");
  attr.m_size = size;
  std::string_view text;
  if (int32_t r = keys.Text(SettingKeys::kType, kTypeTextSize, &text))
    return check(r, kTypeKey, "has a Type longer than any type keyword");
  char keyword[kTypeTextSize];
  if (*CopyCString(text, keyword) == '\0') return check(TIZ_E_EMPTY_TYPE, kTypeKey, "has no Type");
  attr.m_type = TypeFromKeyword(keyword);
  attr.m_value.raw = 0;
  switch (attr.m_type) {
    case kTypeDword:
      return check(keys.Word(SettingKeys::kValue, &attr.m_value.dword), kValueKey, kNoWord);
    case kTypeImage:
    case kTypeUserDefined: {
      // Inert before anything is stored: a number from another process is
      // never released or called, not even when this setting is dropped.
      attr.m_inert = true;
      uint32_t word = 0;
      int32_t r = keys.Word(SettingKeys::kValue, &word);
      if (attr.m_type == kTypeImage)
        attr.m_value.image = word;
      else
        attr.m_value.structure = reinterpret_cast<CUserDefined *>(static_cast<uintptr_t>(word));
      return check(r, kValueKey, kNoWord);
    }
    case kTypeDouble: {
      if (int32_t r = keys.Text(SettingKeys::kValue, kDoubleTextSize, &text))
        return check(r, kValueKey, "has a Value longer than any number");
      char number[kDoubleTextSize];
      attr.m_value.dbl = std::atof(CopyCString(text, number));
      return 0;
    }
    case kTypeString: {
      // The text must fit Size + 1 bytes. The setting's size is that of the
      // text read, so a Size that disagrees with its text can neither make
      // the load allocate what the file does not hold nor hand a reader a
      // size beyond the text.
      uint64_t room = static_cast<uint64_t>(attr.m_size) + 1;
      if (int32_t r = keys.Text(SettingKeys::kValue, room, &text))
        return check(r, kValueKey, "has a Value longer than its Size allows");
      size_t length = text.size();
      auto *copy = new char[length + 1];
      if (length > 0) std::memcpy(copy, text.data(), length);
      copy[length] = '\0';
      attr.m_value.text = copy;
      attr.m_size = static_cast<uint32_t>(length + 1);
      return 0;
    }
    case kTypeBuffer: {
      // An empty buffer is saved with no "Value" at all: it loads empty.
      if (attr.m_size == 0) return 0;
      std::unique_ptr<unsigned char[]> bytes;
      if (!keys.Struct(SettingKeys::kValue, attr.m_size, &bytes)) {
        return check(TIZ_E_READ_BUFFER, kValueKey,
                     keys.Found(SettingKeys::kValue)
                         ? "has a buffer Value that does not match its Size or its checksum"
                         : "has no Value for its buffer");
      }
      attr.m_value.bytes = bytes.release();
      return 0;
    }
    default:
      // ATTRIBUTESTORE: the caller makes the store; UNDEFINED: no value.
      return 0;
  }
}

int32_t DeserializeAttribute(CAttribute &attr, const ProfileDocument &doc,
                             ProfileDocument::SectionNumber section, SectionFault *fault) {
  return ReadSettingSection(attr, DocumentSections(doc, section), fault);
}

StorePlaceKeys::StorePlaceKeys(const SectionSource &section) {
  static constexpr std::string_view kKeys[2] = {kSameStoreKey, kChildLinkKey};
  bool found[2];
  std::string_view values[2];
  section.FindValues(kKeys, 2, found, values, m_scratch);
  // A place's path as the file's section names give it, which are read
  // without blanks at their ends.
  if (found[0]) sameStoreAs = TrimProfileBlanks(values[0]);
  childLink = found[1] && values[1] == kChildLinkValue;
}

}  // namespace tiz
