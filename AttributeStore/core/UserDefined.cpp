#include "core/UserDefined.h"

#include <cstring>
#include <memory>

namespace tiz {

namespace {
constexpr char kBuiltInText[] = "Unknown user defined type";
constexpr int32_t kBuiltInLength = sizeof kBuiltInText - 1;
}  // namespace

CUserDefined::~CUserDefined() {
  if (m_holders && --*m_holders > 0) return;
  delete m_holders;
  if (m_releaseFn) m_releaseFn(m_data);
}

CUserDefined *CUserDefined::Share() {
  // Allocate everything before counting, so a failure leaves this untouched.
  std::unique_ptr<int32_t> fresh(m_holders ? nullptr : new int32_t(1));
  auto *copy = new CUserDefined(m_data, m_releaseFn, m_displayFn);
  if (fresh) m_holders = fresh.release();
  copy->m_holders = m_holders;
  ++*m_holders;
  return copy;
}

int32_t CUserDefined::DisplayStructure(char *buffer, int32_t length) const {
  if (m_displayFn) return m_displayFn(m_data, buffer, length);
  if (length <= 0) return TIZ_TRUNCATED_DISPLAY;
  std::strncpy(buffer, kBuiltInText, static_cast<size_t>(length));
  return length > kBuiltInLength ? 0 : TIZ_TRUNCATED_DISPLAY;
}

}  // namespace tiz
