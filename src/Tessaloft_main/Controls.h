#pragma once
// The window's controls as plain objects: what the flows set (texts, fonts,
// colours, visibility, enabled state, list items, selection). The Windows view
// mirrors them into real controls through ControlObserver; tests read them.

#include <cstdint>
#include <string>
#include <vector>

class Control;

class ControlObserver {
 public:
  virtual ~ControlObserver() = default;
  virtual void ControlChanged(const Control& control) = 0;
};

struct Rgb {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

// A font as the flows set it: a size in points, bold or regular, and either
// the system's window-text colour or a colour of its own.
struct FontStyle {
  int sizePoints = 8;
  bool bold = false;
  bool windowTextColour = true;
  Rgb colour;
};

enum class TextAlign : uint8_t { kCentre, kLeft };

class Control {
 public:
  Control(const char* name, int left, int top, int width, int height)
      : name_(name), left_(left), top_(top), width_(width), height_(height) {}
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const char* name() const { return name_; }
  int left() const { return left_; }
  int top() const { return top_; }
  int width() const { return width_; }
  int height() const { return height_; }

  const std::string& text() const { return text_; }
  void SetText(const std::string& text);
  bool visible() const { return visible_; }
  void SetVisible(bool visible);
  bool enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  const FontStyle& font() const { return font_; }
  void SetFont(const FontStyle& font);

  void SetObserver(ControlObserver* observer) { observer_ = observer; }

 protected:
  void Changed() const {
    if (observer_) observer_->ControlChanged(*this);
  }

 private:
  const char* name_;
  int left_, top_, width_, height_;
  std::string text_;
  bool visible_ = true;
  bool enabled_ = true;
  FontStyle font_;
  ControlObserver* observer_ = nullptr;
};

class TPanel : public Control {
 public:
  TPanel(const char* name, int left, int top, int width, int height, TextAlign align)
      : Control(name, left, top, width, height), align_(align) {}
  TextAlign align() const { return align_; }

 private:
  TextAlign align_;
};

class TButton : public Control {
 public:
  using Control::Control;
};

// A drop-down list used as the window's internal list of devices.
class TComboBox : public Control {
 public:
  using Control::Control;
  const std::vector<std::string>& items() const { return items_; }
  void Clear();
  void Add(const std::string& item);
  int itemIndex() const { return itemIndex_; }
  void SetItemIndex(int index);

 private:
  std::vector<std::string> items_;
  int itemIndex_ = -1;
};

// The update's progress, shown in the fourth line while the device works.
class TProgressBar : public Control {
 public:
  using Control::Control;
  uint32_t position() const { return position_; }
  uint32_t maximum() const { return maximum_; }
  void SetProgress(uint32_t position, uint32_t maximum);

 private:
  uint32_t position_ = 0;
  uint32_t maximum_ = 0;
};
