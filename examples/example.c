/* A first taste of the library: a store, a child store, a few settings, and
 * a read that falls back to the parent. */
#include <stdio.h>

#include "tiz.h"

int main(void) {
  uint32_t root = 0, stage = 0;
  if (TIZ_Create(&root) != TIZ_OK || TIZ_Create(&stage) != TIZ_OK) {
    fprintf(stderr, "cannot create stores\n");
    return 1;
  }
  TIZ_SetSettingDword(root, "scan_duplex", "Attribute.Value", 1);
  TIZ_SetSettingString(root, "Job", "Title", "Front page");
  TIZ_SetSettingDouble(root, "Scan", "Gamma", 2.2);
  TIZ_SetSettingAttrStoreChild(root, "Stage", "Deskew", stage);
  TIZ_SetSettingDword(stage, "Deskew", "Angle", 3);

  uint32_t duplex = 0, angle = 0;
  char title[64];
  double gamma = 0;
  int32_t r1 = TIZ_GetSettingDword(stage, "scan_duplex", "Attribute.Value", &duplex);
  int32_t r2 = TIZ_GetSettingString(root, "Job", "Title", title, (int32_t)sizeof title);
  int32_t r3 = TIZ_GetSettingDouble(root, "Scan", "Gamma", &gamma);
  int32_t r4 = TIZ_GetSettingDword(stage, "Deskew", "Angle", &angle);
  printf("scan_duplex = %u (result %d: found in the parent)\n", duplex, r1);
  printf("Job.Title   = %s (result %d)\n", title, r2);
  printf("Scan.Gamma  = %.1f (result %d)\n", gamma, r3);
  printf("Deskew.Angle = %u (result %d)\n", angle, r4);

  TIZ_Release(stage); /* the child's reference; the root owns it now */
  TIZ_Release(root);  /* tears down the root and its child */
  return 0;
}
