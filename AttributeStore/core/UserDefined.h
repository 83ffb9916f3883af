// A caller's structure stored as a USERDEFINED value: the caller's data with
// its release and display callbacks. The setting owns the object; deleting it
// hands the data back to the caller's release callback.
#ifndef TIZ_CORE_USERDEFINED_H
#define TIZ_CORE_USERDEFINED_H

#include "tiz.h"

namespace tiz {

class CUserDefined {
 public:
  CUserDefined(void *data, TIZ_RELEASE_FN release, TIZ_DISPLAY_FN display)
      : m_data(data), m_release(release), m_display(display) {}
  virtual ~CUserDefined();
  CUserDefined(const CUserDefined &) = delete;
  CUserDefined &operator=(const CUserDefined &) = delete;

  // Forgets the caller's data without releasing it: used when a structure is
  // refused, so the caller, who was told the call failed, keeps its data.
  void Disown() { m_release = nullptr; }

  void *Data() const { return m_data; }
  TIZ_RELEASE_FN ReleaseCallback() const { return m_release; }
  TIZ_DISPLAY_FN DisplayCallback() const { return m_display; }

 private:
  void *m_data;
  TIZ_RELEASE_FN m_release;
  TIZ_DISPLAY_FN m_display;
};

}  // namespace tiz

#endif
