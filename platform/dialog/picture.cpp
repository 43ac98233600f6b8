// picture.cpp — a bitmap static: a bitmap resource shown at its own size
// from the control's corner, or an empty frame when the bitmap is missing.
#include <SDL.h>

#include <climits>

#include "controls.h"
#include "platform/resources.h"

namespace platform::dialog {

Picture::Picture(ControlHost& host, const DialogItem& item, const RECT& rect) : Control(host, item, rect) {
  const std::span<const uint8_t> bytes = FindBitmap(item.bitmapId);
  if (bytes.empty() || bytes.size() > INT_MAX) return;
  SDL_RWops* stream = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  if (!stream) return;
  SDL_Surface* loaded = SDL_LoadBMP_RW(stream, 1);
  if (!loaded) return;
  image = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(loaded);
}

Picture::~Picture() {
  if (image) SDL_FreeSurface(image);
}

void Picture::Paint(Painter& painter, const PaintState&) const {
  if (!image) {
    painter.Frame(rect, colour::Shadow, colour::Highlight);
    return;
  }
  // Shown at its own size from the control's corner, as a bitmap static does.
  painter.Image(image, rect.left, rect.top,
                RECT{rect.left, rect.top, rect.left + image->w, rect.top + image->h});
}

}  // namespace platform::dialog
