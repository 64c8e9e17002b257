#include "cli/text/Enumeration.h"

std::string Enumeration(const std::vector<std::string>& items, const std::string& conjunction) {
  std::string text;
  for (size_t i = 0; i < items.size(); ++i) {
    text += (i == 0 ? "" : i + 1 == items.size() ? " " + conjunction + " " : ", ") + items[i];
  }
  return text;
}
