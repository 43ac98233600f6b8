// scaler.h — scaling a frame of 0xAARRGGBB pixels into a larger (or smaller)
// rectangle of a surface, as a presenter without a GPU does it every frame.
// Nearest sampling for whole multiples, bilinear otherwise, with the sample
// positions of a GPU's texture filter (pixel centres, edges clamped).
#pragma once

#include <cstdint>
#include <vector>

namespace desktop {

struct ScaleJob {
  const uint32_t* source = nullptr;
  int sourceWidth = 0;
  int sourceHeight = 0;
  int sourcePitchPixels = 0;
  uint32_t* target = nullptr;  // the top-left pixel of the destination rectangle
  int targetWidth = 0;
  int targetHeight = 0;
  int targetPitchPixels = 0;
};

// Keeps the tables and the scratch rows between frames, so that a frame of
// the same sizes allocates nothing.
class Scaler {
 public:
  // wideVectors: use AVX2 where the processor has it (false: SSE2 only; the
  // pixels are the same either way).
  explicit Scaler(bool wideVectors = true);

  void Nearest(const ScaleJob& job);
  void Bilinear(const ScaleJob& job);

 private:
  void PrepareTables(const ScaleJob& job, bool bilinear);

  int sourceWidth_ = 0, sourceHeight_ = 0, targetWidth_ = 0, targetHeight_ = 0;
  bool bilinear_ = false;
  std::vector<uint32_t> columns_;           // per target column: first source column
  std::vector<uint16_t> columnWeights_;     // bilinear: 16-bit weights of each column's pair (SSE2)
  std::vector<uint8_t> columnByteWeights_;  // the same as byte pairs (AVX2)
  std::vector<uint32_t> windows_;           // AVX2: lanes of each group of four columns' pairs
  int windowGroups_ = 0;                    // groups, from the left, that read one 8-pixel window
  std::vector<uint32_t> rows_;
  std::vector<uint16_t> rowWeights_;
  std::vector<uint32_t> scratch_;  // two horizontally scaled rows
  int scratchRows_[2] = {-1, -1};
  bool avx2_ = false;
};

}  // namespace desktop
