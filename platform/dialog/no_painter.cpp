// no_painter.cpp — the dialog manager without pictures, for a build that
// draws no dialogs itself (Windows, where the dialogs on the desktop are
// Win32's own): the font answers the classic 8-point cell's metrics, so that
// dialogs are laid out, scripted and run in a terminal as everywhere, and
// drawing draws nothing. SAVER_DIALOG_PNG is refused with a message.
#include <algorithm>
#include <cstdio>

#include "controls.h"
#include "dialog_state.h"
#include "painter.h"

namespace platform::dialog {

std::string DialogFontFile(bool) {
  return {};
}

Font::Font(int pointSize, bool) {
  pointSize = std::clamp(pointSize, 4, 48);
  base = {(6 * pointSize + 4) / 8, (13 * pointSize + 4) / 8};
  height = base.cy;
  ascent = height * 3 / 4;
}

Font::~Font() = default;

int Font::Width(const std::string& text) const {
  int glyphs = 0;
  for (unsigned char c : text) glyphs += (c & 0xC0) != 0x80;
  return glyphs * base.cx;
}

Painter::Painter(SDL_Surface* surfaceIn) : surface(surfaceIn) {}
void Painter::Pixel(int, int, uint32_t) {}
void Painter::Fill(const RECT&, uint32_t) {}
void Painter::HLine(int, int, int, uint32_t) {}
void Painter::VLine(int, int, int, uint32_t) {}
void Painter::Frame(const RECT&, uint32_t, uint32_t) {}
void Painter::RaisedEdge(const RECT&) {}
void Painter::SunkenEdge(const RECT&) {}
void Painter::EtchedFrame(const RECT&) {}
void Painter::FocusRect(const RECT&) {}
void Painter::Text(const Font&, const std::string&, int, int, uint32_t, const RECT&) {}
void Painter::Image(SDL_Surface*, int, int, const RECT&) {}

Picture::Picture(ControlHost& host, const DialogItem& item, const RECT& rect) : Control(host, item, rect) {}
Picture::~Picture() = default;
void Picture::Paint(Painter&, const PaintState&) const {}

}  // namespace platform::dialog

namespace platform {

SDL_Surface* Dialog::State::Render(bool) const {
  return nullptr;
}

void Dialog::State::Present() {
  dirty = false;
}

bool Dialog::State::SavePng(const std::string& path) const {
  std::fprintf(stderr, "%s: this build draws no pictures of dialogs\n", path.c_str());
  return false;
}

}  // namespace platform
