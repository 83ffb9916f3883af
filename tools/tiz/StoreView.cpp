#include "StoreView.h"

#include <cstring>
#include <set>

#include "Failure.h"
#include "StoreRef.h"
#include "tiz.h"

namespace tiztool {

const char *const kRootStoreName = "Root";

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

// The name of a nested store: the display text of the setting that holds it
// is "AttributeStore:", a tab, and the name.
std::string NestedStoreName(const std::string &display) {
  size_t tab = display.find('\t');
  return tab == std::string::npos ? std::string() : display.substr(tab + 1);
}

class StoreReader {
 public:
  StoreReader(const TreeFileIndex &index, const std::string &file) : index_(index), file_(file) {}

  StoreView ReadStore(uint32_t store, const std::string &name) {
    if (path_.size() >= kMaxDepth) throw Failure(file_ + ": stores nested too deep to show");
    if (!path_.insert(store).second) throw Failure(file_ + ": a store holds itself");
    StoreView view;
    view.name = name;
    for (const SettingKey &key : index_.KeysOf(name)) {
      SettingView setting;
      if (ReadSetting(store, key, &setting) == TIZ_OK) view.settings.push_back(std::move(setting));
    }
    path_.erase(store);
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
    Check(TIZ_GetSettingSize(store, group, item, &setting.size), file_, action);
    setting.display = ReadDisplay(store, key, setting.size, file_);
    switch (type) {
      case TIZ_TYPE_DWORD:
        Check(TIZ_GetSettingDword(store, group, item, &setting.number), file_, action);
        break;
      case TIZ_TYPE_DOUBLE:
        Check(TIZ_GetSettingDouble(store, group, item, &setting.real), file_, action);
        break;
      case TIZ_TYPE_IMAGE:
        Check(TIZ_GetSettingImage(store, group, item, &setting.number), file_, action);
        break;
      case TIZ_TYPE_STRING: {
        std::string text(setting.size + 1, '\0');
        Check(TIZ_GetSettingString(store, group, item, text.data(),
                                   static_cast<int32_t>(text.size())),
              file_, action);
        text.resize(std::strlen(text.c_str()));
        setting.bytes = std::move(text);
        break;
      }
      case TIZ_TYPE_BUFFER: {
        std::string bytes(setting.size + 1, '\0');
        int32_t length = static_cast<int32_t>(setting.size);
        Check(TIZ_GetSettingBuffer(store, group, item, bytes.data(), &length), file_, action);
        bytes.resize(static_cast<size_t>(length));
        setting.bytes = std::move(bytes);
        break;
      }
      case TIZ_TYPE_ATTRIBUTESTORE: {
        uint32_t nested = 0;
        Check(TIZ_GetSettingAttrStore(store, group, item, &nested), file_, action);
        StoreRef reference(nested);  // the getter's reference
        if (nested != 0) {
          setting.nested =
              std::make_unique<StoreView>(ReadStore(nested, NestedStoreName(setting.display)));
        }
        break;
      }
      default:  // UNDEFINED, USERDEFINED: nothing but the display text
        break;
    }
    return TIZ_OK;
  }

 private:
  const TreeFileIndex &index_;
  const std::string &file_;
  std::set<uint32_t> path_;  // the stores being read, to catch a cycle
};

}  // namespace

StoreView ReadStore(uint32_t store, const std::string &storeName, const TreeFileIndex &index,
                    const std::string &file) {
  return StoreReader(index, file).ReadStore(store, storeName);
}

int32_t ReadSetting(uint32_t store, const SettingKey &key, const TreeFileIndex &index,
                    const std::string &file, SettingView *out) {
  return StoreReader(index, file).ReadSetting(store, key, out);
}

}  // namespace tiztool
