#include <cstdio>

#include "Tessaloft_main/TForm1.h"
#include "seams/Seams.h"

void TForm1::FormCreate(Control*) {
  RegisterUsbNotification();

  // Without readable version information the caption shows 0.0.0.0.
  uint16_t version[4] = {0, 0, 0, 0};
  if (!ActiveShell().ExecutableFileVersion(version)) {
    version[0] = version[1] = version[2] = version[3] = 0;
  }
  char caption[64];
  std::snprintf(caption, sizeof caption, "Tessaloft_Orvexa_TQ-214_v%d.%d.%d.%d", version[0],
                version[1], version[2], version[3]);
  Caption = caption;
}
