#include "StoreView.h"

#include <cstring>
#include <set>

#include "Failure.h"
#include "StoreRef.h"
#include "tiz.h"

namespace tiztool {

namespace {

// Bounds the reader's recursion whatever a file holds.
constexpr size_t kMaxDepth = 1000;

std::string SettingName(const SettingKey &key) { return key.group + "/" + key.item; }

std::string ReadDisplay(uint32_t store, const SettingKey &key, uint32_t size,
                        const std::string &file) {
  std::string text(size + 64, '\0');
  for (;;) {
    int32_t result = TIZ_DisplayAttribute(store, key.group.c_str(), key.item.c_str(), text.data(),
                                          static_cast<int32_t>(text.size()));
    if (result == TIZ_TRUNCATED_DISPLAY && text.size() < (1u << 30)) {
      text.assign(text.size() * 2, '\0');
      continue;
    }
    Check(result, file, "displaying " + SettingName(key));
    text.resize(std::strlen(text.c_str()));
    return text;
  }
}

class StoreReader {
 public:
  StoreReader(const std::string &file, bool displays) : m_file(file), m_displays(displays) {}

  StoreView ReadStore(uint32_t store) {
    StoreView view;
    view.name = NameOfStore(store);
    if (!m_seen.insert(store).second) {
      view.shownAbove = true;
      return view;
    }
    if (++m_depth > kMaxDepth) throw Failure(m_file + ": stores nested too deep to show");
    for (const SettingKey &key : KeysOfStore(store)) {
      SettingView setting;
      if (ReadSetting(store, key, &setting) == TIZ_OK) view.settings.push_back(std::move(setting));
    }
    --m_depth;
    return view;
  }

  int32_t ReadSetting(uint32_t store, const SettingKey &key, SettingView *out) {
    const char *group = key.group.c_str();
    const char *item = key.item.c_str();
    const std::string action = "reading " + SettingName(key);
    int32_t type = 0;
    int32_t result = TIZ_GetSettingType(store, group, item, &type);
    if (result != TIZ_OK) return result;

    SettingView &setting = *out;
    setting.group = key.group;
    setting.item = key.item;
    setting.type = type;
    Check(TIZ_GetSettingSize(store, group, item, &setting.size), m_file, action);
    if (m_displays || type == TIZ_TYPE_UNDEFINED || type == TIZ_TYPE_USERDEFINED)
      setting.display = ReadDisplay(store, key, setting.size, m_file);
    switch (type) {
      case TIZ_TYPE_DWORD:
        Check(TIZ_GetSettingDword(store, group, item, &setting.number), m_file, action);
        break;
      case TIZ_TYPE_DOUBLE:
        Check(TIZ_GetSettingDouble(store, group, item, &setting.real), m_file, action);
        break;
      case TIZ_TYPE_IMAGE:
        Check(TIZ_GetSettingImage(store, group, item, &setting.number), m_file, action);
        break;
      case TIZ_TYPE_STRING: {
        std::string text(setting.size + 1, '\0');
        Check(TIZ_GetSettingString(store, group, item, text.data(),
                                   static_cast<int32_t>(text.size())),
              m_file, action);
        text.resize(std::strlen(text.c_str()));
        setting.bytes = std::move(text);
        break;
      }
      case TIZ_TYPE_BUFFER: {
        std::string bytes(setting.size + 1, '\0');
        int32_t length = static_cast<int32_t>(setting.size);
        Check(TIZ_GetSettingBuffer(store, group, item, bytes.data(), &length), m_file, action);
        bytes.resize(static_cast<size_t>(length));
        setting.bytes = std::move(bytes);
        break;
      }
      case TIZ_TYPE_ATTRIBUTESTORE: {
        uint32_t nested = 0;
        Check(TIZ_GetSettingAttrStore(store, group, item, &nested), m_file, action);
        StoreRef reference(nested);  // the getter's reference
        if (nested != 0) {
          setting.nested = std::make_unique<StoreView>(ReadStore(nested));
        }
        break;
      }
      default:  // UNDEFINED, USERDEFINED: nothing but the display text
        break;
    }
    return TIZ_OK;
  }

 private:
  const std::string &m_file;
  bool m_displays;
  std::set<uint32_t> m_seen;  // the stores read, to catch a cycle or a store held twice
  size_t m_depth = 0;
};

}  // namespace

StoreView ReadStore(uint32_t store, const std::string &file, bool displays) {
  return StoreReader(file, displays).ReadStore(store);
}

int32_t ReadSetting(uint32_t store, const SettingKey &key, const std::string &file,
                    SettingView *out) {
  return StoreReader(file, true).ReadSetting(store, key, out);
}

}  // namespace tiztool
