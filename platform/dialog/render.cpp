// render.cpp — the picture of a running dialog: the controls on the grey
// face, with the window frame and caption bar of the time around them for
// PNG pictures; shown on the desktop through the window's SDL surface.
#include <SDL.h>

#include "dialog_state.h"
#include "platform/host.h"
#include "png_writer.h"

namespace platform {

using dialog::Painter;
namespace colour = dialog::colour;

namespace {

SDL_Surface* NewSurface(int width, int height) {
  return SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
}

// The caption's close box: a small raised button with an X.
void DrawCloseBox(Painter& painter, const RECT& r) {
  painter.Fill(r, colour::Face);
  painter.RaisedEdge(r);
  const int cx = (r.left + r.right) / 2 - 4, cy = (r.top + r.bottom) / 2 - 4;
  for (int i = 0; i < 7; ++i) {
    painter.HLine(cx + i, cx + i + 2, cy + i, colour::Text);
    painter.HLine(cx + 6 - i, cx + 8 - i, cy + i, colour::Text);
  }
}

}  // namespace

SDL_Surface* Dialog::State::Render(bool withFrame) const {
  SDL_Surface* client = NewSurface(clientWidth, clientHeight);
  if (client == nullptr) return nullptr;
  Painter painter(client);
  painter.Fill(RECT{0, 0, clientWidth, clientHeight}, colour::Face);
  // Bottom of the z-order first: earlier items lie on top.
  for (int i = static_cast<int>(controls.size()) - 1; i >= 0; --i) {
    const dialog::Control& control = *controls[i];
    dialog::PaintState paint;
    paint.focused = i == focus;
    paint.defaultLook = control.IsPushButton() && control.Id() == DefaultButtonId();
    control.Paint(painter, paint);
  }
  if (!withFrame) return client;

  const int width = clientWidth + 2 * kFrame, height = clientHeight + 2 * kFrame + kCaption;
  SDL_Surface* window = NewSurface(width, height);
  if (window == nullptr) return client;
  Painter frame(window);
  const RECT all{0, 0, width, height};
  frame.Fill(all, colour::Face);
  frame.Frame(all, colour::Face, colour::DarkShadow);
  frame.Frame(dialog::Inset(all, 1), colour::Highlight, colour::Shadow);
  const RECT caption{kFrame, kFrame, width - kFrame, kFrame + kCaption - 1};
  frame.Fill(caption, colour::Caption);
  const int titleTop = caption.top + (caption.bottom - caption.top - captionFont.Height()) / 2;
  const RECT closeBox{caption.right - 18, caption.top + 2, caption.right - 2, caption.bottom - 2};
  frame.Text(captionFont, dialogTemplate.caption, caption.left + 3, titleTop, colour::CaptionText,
             RECT{caption.left, caption.top, closeBox.left - 2, caption.bottom});
  if (dialogTemplate.style & WS_SYSMENU) DrawCloseBox(frame, closeBox);
  SDL_Rect to{kFrame, kFrame + kCaption, clientWidth, clientHeight};
  SDL_BlitSurface(client, nullptr, window, &to);
  SDL_FreeSurface(client);
  return window;
}

void Dialog::State::Present() {
  dirty = false;
  SDL_Window* window = SdlWindowOf(dialog.Handle());
  if (window == nullptr) return;
  SDL_Surface* target = SDL_GetWindowSurface(window);
  if (target == nullptr) return;
  SDL_Surface* picture = Render(false);
  if (picture == nullptr) return;
  SDL_BlitSurface(picture, nullptr, target, nullptr);
  SDL_FreeSurface(picture);
  SDL_UpdateWindowSurface(window);
}

bool Dialog::State::SavePng(const std::string& path) const {
  SDL_Surface* picture = Render(true);
  const bool saved = dialog::WritePng(picture, path);
  if (picture != nullptr) SDL_FreeSurface(picture);
  return saved;
}

}  // namespace platform
