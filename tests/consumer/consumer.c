#include <stdio.h>

#include "tiz.h"

int main(void) {
  uint32_t store = 0, value = 0;
  if (TIZ_Create(&store) != 0) return 1;
  TIZ_SetSettingDword(store, "Consumer", "Answer", 42);
  TIZ_GetSettingDword(store, "Consumer", "Answer", &value);
  printf("value=%u\n", value);
  return TIZ_Release(store);
}
