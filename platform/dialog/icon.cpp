// icon.cpp — the system's icons, drawn in code in the classic 16-colour look:
// the exclamation (a yellow warning triangle with "!"), the hand (a red disc
// with a white cross), the asterisk (a white disc with a blue "i") and the
// question (a white disc with a blue "?"), each with a grey shadow.
#include <cmath>

#include "controls.h"

namespace platform::dialog {
namespace {

constexpr uint32_t kBlack = 0x000000, kShadow = 0x808080, kYellow = 0xFFFF00, kRed = 0xFF0000,
                   kWhite = 0xFFFFFF, kBlue = 0x0000FF;
constexpr float kCentre = 15.5f;  // the middle of the 32-pixel cell
constexpr int kShadowOffset = 2;

// Inside the warning triangle: apex at the top, base on row 28, inset by
// inset pixels measured across its edges.
bool InTriangle(float x, float y, float inset) {
  constexpr float kTop = 1.0f, kBottom = 28.0f, kHalfBase = 15.0f;
  if (y < kTop + inset * 2.2f || y > kBottom - inset) return false;
  const float halfWidth = (y - kTop) * kHalfBase / (kBottom - kTop) + 0.5f - inset * 1.1f;
  return std::fabs(x - kCentre) <= halfWidth;
}

bool InDisc(float x, float y, float radius) {
  const float dx = x - kCentre, dy = y - kCentre;
  return dx * dx + dy * dy <= radius * radius;
}

bool InBox(int x, int y, int left, int top, int right, int bottom) {
  return x >= left && x < right && y >= top && y < bottom;
}

// The "!": a bar narrowing downwards, then the point.
bool InExclamationMark(int x, int y) {
  if (y >= 8 && y < 20) return InBox(x, y, y < 15 ? 14 : 15, y, y < 15 ? 18 : 17, y + 1);
  return InBox(x, y, 14, 22, 18, 25);
}

// The white cross of the hand: two diagonals three pixels wide.
bool InCross(float x, float y) {
  const float dx = x - kCentre, dy = y - kCentre;
  if (std::fabs(dx) > 6.5f || std::fabs(dy) > 6.5f) return false;
  return std::fabs(dx - dy) <= 1.6f || std::fabs(dx + dy) <= 1.6f;
}

// The "i": a round dot over a stem with a foot.
bool InLetterI(int x, int y) {
  const float dx = static_cast<float>(x) - kCentre, dy = static_cast<float>(y) - 8.5f;
  if (dx * dx + dy * dy <= 5.0f) return true;
  return InBox(x, y, 14, 12, 18, 24) || InBox(x, y, 12, 12, 14, 14) || InBox(x, y, 12, 22, 20, 24);
}

// The "?": an open ring over a short stem, then the point.
bool InQuestionMark(int x, int y) {
  const float dx = static_cast<float>(x) - kCentre, dy = static_cast<float>(y) - 11.0f;
  const float distance = std::sqrt(dx * dx + dy * dy);
  const bool ring = distance >= 3.0f && distance <= 6.0f;
  // The ring is open at the lower left, where the stem leaves it.
  if (ring && !(dy > 0.0f && dx < 1.0f)) return true;
  return InBox(x, y, 14, 16, 18, 20) || InBox(x, y, 14, 22, 18, 25);
}

// The colour of one pixel of an icon; false where the face shows through.
bool IconPixel(int icon, int x, int y, uint32_t& rgb) {
  const float fx = static_cast<float>(x), fy = static_cast<float>(y);
  const float sx = fx - kShadowOffset, sy = fy - kShadowOffset;
  switch (icon) {
    case IDI_EXCLAMATION:
      if (InTriangle(fx, fy, 0.0f)) {
        rgb = !InTriangle(fx, fy, 1.0f) || InExclamationMark(x, y) ? kBlack : kYellow;
        return true;
      }
      if (InTriangle(sx, sy, 0.0f)) {
        rgb = kShadow;
        return true;
      }
      return false;
    case IDI_HAND:
    case IDI_ASTERISK:
    case IDI_QUESTION: {
      constexpr float kRadius = 13.5f;
      if (InDisc(fx, fy, kRadius)) {
        if (!InDisc(fx, fy, kRadius - 1.0f)) {
          rgb = icon == IDI_HAND ? 0x800000 : kBlack;
        } else if (icon == IDI_HAND) {
          rgb = InCross(fx, fy) ? kWhite : kRed;
        } else {
          const bool ink = icon == IDI_ASTERISK ? InLetterI(x, y) : InQuestionMark(x, y);
          rgb = ink ? kBlue : kWhite;
        }
        return true;
      }
      if (InDisc(sx, sy, kRadius)) {
        rgb = kShadow;
        return true;
      }
      return false;
    }
    default:
      return false;
  }
}

}  // namespace

void SystemIcon::Paint(Painter& painter, const PaintState&) const {
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      uint32_t rgb = 0;
      if (!IconPixel(item.bitmapId, x, y, rgb)) continue;
      const LONG px = rect.left + x, py = rect.top + y;
      painter.Fill(RECT{px, py, px + 1, py + 1}, rgb);
    }
  }
}

}  // namespace platform::dialog
