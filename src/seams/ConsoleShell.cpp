#include "seams/ConsoleShell.h"

#include "seams/ProgramVersion.h"

bool ConsoleShell::ExecutableFileVersion(uint16_t version[4]) {
  for (int i = 0; i < 4; ++i) version[i] = kProgramVersion[i];
  return true;
}
