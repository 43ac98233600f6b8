// painter.h — drawing for the dialogs: the dialog font (SDL2_ttf) and the
// classic grey 3-D primitives (bevels, etched lines, focus rectangles, text)
// on an SDL software surface.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/dialog.h"

struct SDL_Surface;
struct _TTF_Font;

namespace platform::dialog {

// Colours of the classic scheme, 0xRRGGBB.
namespace colour {
constexpr uint32_t Face = 0xC0C0C0, Highlight = 0xFFFFFF, Shadow = 0x808080, DarkShadow = 0x000000,
                   Window = 0xFFFFFF, Text = 0x000000, Selection = 0x000080, SelectionText = 0xFFFFFF,
                   Caption = 0x000080, CaptionText = 0xFFFFFF, GrayText = 0x808080;
}

// A font face at a point size (96 dots per inch). Without a usable font file
// it still answers metrics (an 8-point face's 6 x 13 cell) but draws nothing.
class Font {
 public:
  Font(int pointSize, bool bold);
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  bool Loaded() const { return font != nullptr; }
  int Height() const { return height; }
  int Ascent() const { return ascent; }
  DialogBaseUnits BaseUnits() const { return base; }
  // Width in pixels of UTF-8 text.
  int Width(const std::string& text) const;
  // The file the face was loaded from (empty when none).
  const std::string& File() const { return file; }
  _TTF_Font* Handle() const { return font; }

 private:
  _TTF_Font* font = nullptr;
  int height = 13;
  int ascent = 10;
  DialogBaseUnits base;
  std::string file;
  bool ttfStarted = false;
};

// The font file used for dialog text: $SAVER_DIALOG_FONT, else the first of
// a few sans faces close to the classic 8-point dialog face that exists.
std::string DialogFontFile(bool bold);

// Draws on a 32-bit surface; all coordinates are surface pixels, clipped to
// the surface and to the current clip rectangle.
class Painter {
 public:
  explicit Painter(SDL_Surface* surface);
  SDL_Surface* Surface() const { return surface; }

  void Fill(const RECT& r, uint32_t rgb);
  void HLine(int x0, int x1, int y, uint32_t rgb);  // x0..x1-1
  void VLine(int x, int y0, int y1, uint32_t rgb);  // y0..y1-1
  // A one-pixel frame: top and left in one colour, bottom and right in another.
  void Frame(const RECT& r, uint32_t topLeft, uint32_t bottomRight);
  // Two-pixel raised edge (buttons, window frame) and sunken edge (edit boxes, check boxes).
  void RaisedEdge(const RECT& r);
  void SunkenEdge(const RECT& r);
  // The etched line pair of group boxes.
  void EtchedFrame(const RECT& r);
  // Dotted focus rectangle (every other pixel inverted to black on the face).
  void FocusRect(const RECT& r);
  // Text with its top-left at (x, y), clipped to clip.
  void Text(const Font& font, const std::string& text, int x, int y, uint32_t rgb, const RECT& clip);
  // Blits a 32-bit surface at (x, y), clipped to clip.
  void Image(SDL_Surface* image, int x, int y, const RECT& clip);

 private:
  void Pixel(int x, int y, uint32_t rgb);
  SDL_Surface* surface;
};

// The top of a line of text that sits centred in r.
inline int CentredTop(const Font& font, const RECT& r) {
  return r.top + (r.bottom - r.top - font.Height()) / 2;
}

// Splits text into lines no wider than width where it can: at new lines,
// and at blanks between words (a word wider than width keeps a line of its own).
std::vector<std::string> WrapWords(const Font& font, const std::string& text, int width);

// Rectangle helpers.
inline RECT Inset(const RECT& r, int d) {
  return RECT{r.left + d, r.top + d, r.right - d, r.bottom - d};
}
inline bool Contains(const RECT& r, int x, int y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}
inline RECT Intersect(const RECT& a, const RECT& b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

}  // namespace platform::dialog
