// A caller's structure stored as a USERDEFINED value: the caller's data with
// its release and display callbacks. The setting owns the object; deleting it
// hands the data back to the caller's release callback.
#ifndef TIZ_CORE_USERDEFINED_H
#define TIZ_CORE_USERDEFINED_H

#include <cstdint>

#include "tiz.h"

namespace tiz {

class CUserDefined {
 public:
  CUserDefined(void *data, TIZ_RELEASE_FN release, TIZ_DISPLAY_FN display)
      : m_releaseFn(release), m_displayFn(display), m_data(data) {}
  // Calls the release callback with the data, when there is one.
  ~CUserDefined();
  CUserDefined(const CUserDefined &) = delete;
  CUserDefined &operator=(const CUserDefined &) = delete;

  // Forgets the caller's data without releasing it: used when a structure is
  // refused, so the caller, who was told the call failed, keeps its data.
  void Disown() { m_releaseFn = nullptr; }

  // Describes the data as text in `buffer` (`length` bytes): the display
  // callback's own result, or the built-in text "Unknown user defined type"
  // copied like a bounded string copy, with 0 when it fits with its
  // terminator and 3 when it was cut. Reads nothing of the object after the
  // callback returns, so the callback may delete the setting that holds it.
  int32_t DisplayStructure(char *buffer, int32_t length) const;

  void *Data() const { return m_data; }
  TIZ_RELEASE_FN ReleaseCallback() const { return m_releaseFn; }
  TIZ_DISPLAY_FN DisplayCallback() const { return m_displayFn; }

 private:
  TIZ_RELEASE_FN m_releaseFn;
  TIZ_DISPLAY_FN m_displayFn;
  void *m_data;
};

}  // namespace tiz

#endif
