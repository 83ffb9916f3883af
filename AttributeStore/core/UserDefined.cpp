#include "core/UserDefined.h"

#include <cstring>

namespace tiz {

namespace {
constexpr char kBuiltInText[] = "Unknown user defined type";
constexpr int32_t kBuiltInLength = sizeof kBuiltInText - 1;
}  // namespace

CUserDefined::~CUserDefined() {
  if (m_releaseFn) m_releaseFn(m_data);
}

int32_t CUserDefined::DisplayStructure(char *buffer, int32_t length) const {
  if (m_displayFn) return m_displayFn(m_data, buffer, length);
  if (length <= 0) return TIZ_TRUNCATED_DISPLAY;
  std::strncpy(buffer, kBuiltInText, static_cast<size_t>(length));
  return length > kBuiltInLength ? 0 : TIZ_TRUNCATED_DISPLAY;
}

}  // namespace tiz
