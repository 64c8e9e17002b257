#include "session/SessionSeams.h"

bool SessionSeams::Record(const std::string& file, const std::string& program,
                          const std::vector<std::string>& arguments, Seams* seams,
                          std::string* error) {
  if (!writer_.Open(file, MakeHeader(program, arguments, "driveLetters"), error)) return false;
  recorded_ = std::make_unique<RecordedSeams>(*seams, writer_);
  *seams = recorded_->seams();
  return true;
}
