// painter.cpp — the dialog font and the classic 3-D drawing primitives.
#include "painter.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace platform::dialog {
namespace {

// Sans faces close to the classic 8-point dialog face, best first. The
// condensed DejaVu face has the same 6 x 13 pixel cell at 8 points.
constexpr const char* kRegularFaces[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
    "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
    "/usr/share/fonts/opentype/urw-base35/NimbusSans-Regular.otf",
};
constexpr const char* kBoldFaces[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf",
    "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf",
    "/usr/share/fonts/opentype/urw-base35/NimbusSans-Bold.otf",
};

}  // namespace

std::string DialogFontFile(bool bold) {
  std::error_code error;
  if (const char* chosen = std::getenv("SAVER_DIALOG_FONT"); chosen && *chosen && !bold) {
    if (std::filesystem::is_regular_file(chosen, error)) return chosen;
  }
  for (const char* face : bold ? kBoldFaces : kRegularFaces) {
    if (std::filesystem::is_regular_file(face, error)) return face;
  }
  return {};
}

Font::Font(int pointSize, bool bold) {
  pointSize = std::clamp(pointSize, 4, 48);
  // Without a face the classic 8-point cell, scaled with the size.
  base = {(6 * pointSize + 4) / 8, (13 * pointSize + 4) / 8};
  height = base.cy;
  ascent = height * 3 / 4;
  const std::string path = DialogFontFile(bold);
  if (path.empty()) return;
  if (TTF_WasInit() == 0 && TTF_Init() != 0) return;
  ttfStarted = true;
  font = TTF_OpenFontDPI(path.c_str(), pointSize, 96, 96);
  if (!font) return;
  file = path;
  TTF_SetFontHinting(font, TTF_HINTING_NORMAL);
  height = TTF_FontHeight(font);
  ascent = TTF_FontAscent(font);
  // As Windows measures a dialog font: the 52 letters' width halved twice
  // with rounding, and the cell height.
  const int alphabetWidth = Width("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  base = {std::max(1, (alphabetWidth / 26 + 1) / 2), std::max(1, height)};
}

Font::~Font() {
  if (font) TTF_CloseFont(font);
}

int Font::Width(const std::string& text) const {
  if (text.empty()) return 0;
  if (!font) {
    int glyphs = 0;
    for (unsigned char c : text) glyphs += (c & 0xC0) != 0x80;
    return glyphs * base.cx;
  }
  int w = 0, h = 0;
  if (TTF_SizeUTF8(font, text.c_str(), &w, &h) != 0) return 0;
  return w;
}

Painter::Painter(SDL_Surface* surface) : surface(surface) {}

void Painter::Pixel(int x, int y, uint32_t rgb) {
  if (x < 0 || y < 0 || x >= surface->w || y >= surface->h) return;
  auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface->pixels) + y * surface->pitch);
  row[x] = SDL_MapRGB(surface->format, (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

void Painter::Fill(const RECT& r, uint32_t rgb) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  SDL_Rect box{r.left, r.top, r.right - r.left, r.bottom - r.top};
  SDL_FillRect(surface, &box, SDL_MapRGB(surface->format, (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF));
}

void Painter::HLine(int x0, int x1, int y, uint32_t rgb) {
  Fill(RECT{x0, y, x1, y + 1}, rgb);
}

void Painter::VLine(int x, int y0, int y1, uint32_t rgb) {
  Fill(RECT{x, y0, x + 1, y1}, rgb);
}

void Painter::Frame(const RECT& r, uint32_t topLeft, uint32_t bottomRight) {
  if (r.right - r.left < 1 || r.bottom - r.top < 1) return;
  HLine(r.left, r.right - 1, r.top, topLeft);
  VLine(r.left, r.top, r.bottom - 1, topLeft);
  HLine(r.left, r.right, r.bottom - 1, bottomRight);
  VLine(r.right - 1, r.top, r.bottom, bottomRight);
}

void Painter::RaisedEdge(const RECT& r) {
  Frame(r, colour::Highlight, colour::DarkShadow);
  Frame(Inset(r, 1), colour::Face, colour::Shadow);
}

void Painter::SunkenEdge(const RECT& r) {
  Frame(r, colour::Shadow, colour::Highlight);
  Frame(Inset(r, 1), colour::DarkShadow, colour::Face);
}

void Painter::EtchedFrame(const RECT& r) {
  // A grey frame with a white one a pixel to its lower right, grey on top.
  Frame(RECT{r.left + 1, r.top + 1, r.right, r.bottom}, colour::Highlight, colour::Highlight);
  Frame(RECT{r.left, r.top, r.right - 1, r.bottom - 1}, colour::Shadow, colour::Shadow);
}

void Painter::FocusRect(const RECT& r) {
  for (int x = r.left; x < r.right; x += 2) {
    Pixel(x, r.top, colour::DarkShadow);
    Pixel(x, r.bottom - 1, colour::DarkShadow);
  }
  for (int y = r.top; y < r.bottom; y += 2) {
    Pixel(r.left, y, colour::DarkShadow);
    Pixel(r.right - 1, y, colour::DarkShadow);
  }
}

void Painter::Text(const Font& font, const std::string& text, int x, int y, uint32_t rgb, const RECT& clip) {
  if (text.empty() || !font.Loaded()) return;
  const SDL_Color c{static_cast<Uint8>((rgb >> 16) & 0xFF), static_cast<Uint8>((rgb >> 8) & 0xFF),
                    static_cast<Uint8>(rgb & 0xFF), 255};
  SDL_Surface* glyphs = TTF_RenderUTF8_Blended(font.Handle(), text.c_str(), c);
  if (!glyphs) return;
  Image(glyphs, x, y, clip);
  SDL_FreeSurface(glyphs);
}

void Painter::Image(SDL_Surface* image, int x, int y, const RECT& clip) {
  const RECT area = Intersect(clip, RECT{0, 0, surface->w, surface->h});
  if (area.right <= area.left || area.bottom <= area.top) return;
  SDL_Rect clipRect{area.left, area.top, area.right - area.left, area.bottom - area.top};
  SDL_Rect old;
  SDL_GetClipRect(surface, &old);
  SDL_SetClipRect(surface, &clipRect);
  SDL_Rect to{x, y, image->w, image->h};
  SDL_BlitSurface(image, nullptr, surface, &to);
  SDL_SetClipRect(surface, &old);
}

}  // namespace platform::dialog
