#include "core/UserDefined.h"

namespace tiz {

CUserDefined::~CUserDefined() {
  if (m_release) m_release(m_data);
}

}  // namespace tiz
