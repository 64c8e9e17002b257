#pragma once
// The fonts of the window's controls, made once per face, size, weight and
// dots per inch and kept until the window goes.

#include <windows.h>

#include <vector>

enum class FontFace {
  kPanel,    // the status lines and the Update button
  kDefault,  // the window's default font (the hidden list and Refresh button)
};

class FontCache {
 public:
  FontCache() = default;
  ~FontCache();
  FontCache(const FontCache&) = delete;
  FontCache& operator=(const FontCache&) = delete;

  HFONT Get(FontFace face, int points, bool bold, UINT dpi);

 private:
  struct Entry {
    FontFace face;
    int points;
    bool bold;
    UINT dpi;
    HFONT font;
  };
  std::vector<Entry> fonts_;
};
