#include "platform/win32/gui/FontCache.h"

#include "platform/win32/gui/DpiScale.h"

namespace {

// The Traditional Chinese name of the Microsoft JhengHei face.
constexpr wchar_t kPanelFace[] = L"\u5FAE\u8EDF\u6B63\u9ED1\u9AD4";
constexpr wchar_t kDefaultFace[] = L"MS Sans Serif";

HFONT MakeFont(FontFace face, int points, bool bold, UINT dpi) {
  const bool panel = face == FontFace::kPanel;
  return CreateFontW(FontHeightForPoints(points, dpi), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE,
                     FALSE, FALSE, panel ? ANSI_CHARSET : DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                     panel ? kPanelFace : kDefaultFace);
}

}  // namespace

FontCache::~FontCache() {
  for (const Entry& entry : fonts_) DeleteObject(entry.font);
}

HFONT FontCache::Get(FontFace face, int points, bool bold, UINT dpi) {
  for (const Entry& entry : fonts_) {
    if (entry.face == face && entry.points == points && entry.bold == bold && entry.dpi == dpi) {
      return entry.font;
    }
  }
  HFONT font = MakeFont(face, points, bold, dpi);
  if (font != nullptr) fonts_.push_back({face, points, bold, dpi, font});
  return font;
}
