// quantise.cpp — reduces a true-colour image to 256 palette entries: median
// cut for a first palette, k-means to refine it, then the entries rounded to
// the bank's 6-bit components (multiples of 4 up to 252).
#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "art.h"

namespace halcyon_art {

namespace {

struct Colour {
  double c[3];
};

constexpr double kWeight[3] = {1.0, 1.25, 0.8};

double Distance(const Colour& a, const Colour& b) {
  double d = 0;
  for (int k = 0; k < 3; ++k) d += kWeight[k] * (a.c[k] - b.c[k]) * (a.c[k] - b.c[k]);
  return d;
}

uint8_t Component(double v) {
  double q = std::round(std::clamp(v, 0.0, 255.0) / 4.0) * 4.0;
  return static_cast<uint8_t>(std::min(252.0, q));
}

std::vector<Colour> MedianCut(const std::vector<Colour>& pixels, int count) {
  std::vector<std::vector<int>> boxes(1);
  boxes[0].resize(pixels.size());
  std::iota(boxes[0].begin(), boxes[0].end(), 0);
  auto spread = [&](const std::vector<int>& box, int& channel) {
    double best = -1;
    for (int k = 0; k < 3; ++k) {
      double lo = 1e9, hi = -1e9;
      for (int i : box) {
        lo = std::min(lo, pixels[i].c[k]);
        hi = std::max(hi, pixels[i].c[k]);
      }
      double s = (hi - lo) * kWeight[k];
      if (s > best) {
        best = s;
        channel = k;
      }
    }
    return best * std::sqrt(static_cast<double>(box.size()));
  };
  while (static_cast<int>(boxes.size()) < count) {
    int pick = -1, channel = 0;
    double best = 0;
    for (int b = 0; b < static_cast<int>(boxes.size()); ++b) {
      int ch = 0;
      double s = boxes[b].size() > 1 ? spread(boxes[b], ch) : 0;
      if (s > best) {
        best = s;
        pick = b;
        channel = ch;
      }
    }
    if (pick < 0) break;  // every box holds one colour
    std::vector<int>& box = boxes[pick];
    std::sort(box.begin(), box.end(),
              [&](int a, int b) { return pixels[a].c[channel] < pixels[b].c[channel]; });
    std::vector<int> upper(box.begin() + box.size() / 2, box.end());
    box.resize(box.size() / 2);
    boxes.push_back(std::move(upper));
  }
  std::vector<Colour> palette;
  for (const auto& box : boxes) {
    Colour mean{{0, 0, 0}};
    for (int i : box)
      for (int k = 0; k < 3; ++k) mean.c[k] += pixels[i].c[k];
    for (int k = 0; k < 3; ++k) mean.c[k] /= static_cast<double>(box.size());
    palette.push_back(mean);
  }
  while (static_cast<int>(palette.size()) < count) palette.push_back(palette.back());
  return palette;
}

}  // namespace

IndexedImage Quantise(const Image& image) {
  std::vector<Colour> pixels(image.pixels.size());
  for (size_t i = 0; i < pixels.size(); ++i) {
    const Rgb& p = image.pixels[i];
    pixels[i] = {{std::clamp(p.r, 0.0, 1.0) * 255.0, std::clamp(p.g, 0.0, 1.0) * 255.0,
                  std::clamp(p.b, 0.0, 1.0) * 255.0}};
  }
  std::vector<Colour> palette = MedianCut(pixels, 256);
  std::vector<uint8_t> index(pixels.size());
  auto assign = [&] {
    for (size_t i = 0; i < pixels.size(); ++i) {
      double best = std::numeric_limits<double>::max();
      for (int e = 0; e < 256; ++e) {
        double d = Distance(pixels[i], palette[e]);
        if (d < best) {
          best = d;
          index[i] = static_cast<uint8_t>(e);
        }
      }
    }
  };
  for (int iteration = 0; iteration < 6; ++iteration) {
    assign();
    std::vector<Colour> sum(256, Colour{{0, 0, 0}});
    std::vector<int> n(256, 0);
    for (size_t i = 0; i < pixels.size(); ++i) {
      for (int k = 0; k < 3; ++k) sum[index[i]].c[k] += pixels[i].c[k];
      ++n[index[i]];
    }
    for (int e = 0; e < 256; ++e) {
      if (n[e] == 0) continue;
      for (int k = 0; k < 3; ++k) palette[e].c[k] = sum[e].c[k] / n[e];
    }
  }
  IndexedImage out;
  out.width = image.width;
  out.height = image.height;
  for (int e = 0; e < 256; ++e) {
    for (int k = 0; k < 3; ++k) {
      out.palette[e][k] = Component(palette[e].c[k]);
      palette[e].c[k] = out.palette[e][k];
    }
  }
  assign();
  out.texels = index;
  return out;
}

}  // namespace halcyon_art
