/* Compiled, never run: tiz.h must stand alone in strict C. The function
 * takes the address of a few declarations so that their types are checked
 * against the callbacks a C caller writes. */
#include "tiz.h"

static void TIZ_API ReleaseNothing(void *data) { (void)data; }

static int32_t TIZ_API DisplayNothing(void *data, char *dest, int32_t len) {
  (void)data;
  if (len > 0) dest[0] = '\0';
  return TIZ_OK;
}

int tiz_header_compiles_as_c(uint32_t store);

int tiz_header_compiles_as_c(uint32_t store) {
  TIZ_RELEASE_FN release = ReleaseNothing;
  TIZ_DISPLAY_FN display = DisplayNothing;
  char *(TIZ_API * pointerGetter)(uint32_t, const char *, const char *, uint32_t *, int32_t *) =
      TIZ_GetCharPointer;
  (void)pointerGetter;
  return TIZ_SetSettingStructure(store, "Data", "", 0, release, display) == TIZ_E_INVALID_HANDLE;
}
