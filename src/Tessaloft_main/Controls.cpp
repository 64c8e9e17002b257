#include "Tessaloft_main/Controls.h"

void Control::SetText(const std::string& text) {
  text_ = text;
  Changed();
}

void Control::SetVisible(bool visible) {
  visible_ = visible;
  Changed();
}

void Control::SetEnabled(bool enabled) {
  enabled_ = enabled;
  Changed();
}

void Control::SetFont(const FontStyle& font) {
  font_ = font;
  Changed();
}

void TComboBox::Clear() {
  items_.clear();
  itemIndex_ = -1;
  Changed();
}

void TComboBox::Add(const std::string& item) {
  items_.push_back(item);
  Changed();
}

void TComboBox::SetItemIndex(int index) {
  itemIndex_ = index >= 0 && index < static_cast<int>(items_.size()) ? index : -1;
  Changed();
}

void TProgressBar::SetProgress(uint32_t position, uint32_t maximum) {
  position_ = position;
  maximum_ = maximum;
  Changed();
}
