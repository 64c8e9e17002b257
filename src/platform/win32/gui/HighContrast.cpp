#include "platform/win32/gui/HighContrast.h"

#include <windows.h>

bool HighContrastOn() {
  HIGHCONTRASTA contrast = {};
  contrast.cbSize = sizeof contrast;
  return SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) != FALSE &&
         (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}
