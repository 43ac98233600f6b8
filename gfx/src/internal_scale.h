// internal_scale.h — the internal resolution the library draws at, and the
// depth of its colour buffers. The program always sees the board's screen
// and its 16-bit pixels; the buffers are `scale` times wider and taller, and
// keep either the board's dithered RGB565 or 8 bits a channel. Chosen by
// GLIDE_SCALE and GLIDE_COLOR, else by the library's settings file
// (glide.ini in the savers' settings folder, shared by every program on the
// library), else scale 1 and 16-bit colour.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace gfx {

constexpr int kMaxScale = 4;
// Buffers wider or taller than this are not made: a larger board screen
// gets a smaller scale.
constexpr int kMaxBufferSide = 4096;

struct ScaleSetting {
  bool native = false;  // as large as the window or screen the display opens allows
  int scale = 1;        // 1..kMaxScale when not native
  bool operator==(const ScaleSetting&) const = default;
};

// "1" to "4" or "native" (spaces around it ignored); nothing for anything else.
std::optional<ScaleSetting> ParseScaleSetting(std::string_view text);

// The largest whole scale, 1 to kMaxScale, at which a board screen of width
// x height fits inside an output of outputWidth x outputHeight (1 when not
// even scale 1 fits, or the output size is unknown).
int NativeScale(int outputWidth, int outputHeight, int width, int height);

// The scale to draw a width x height board screen at, for a setting and the
// output size (0 x 0 when unknown): capped so no buffer side passes kMaxBufferSide.
int ResolveScale(const ScaleSetting& setting, int outputWidth, int outputHeight, int width, int height);

// "16" or "32" (spaces around it ignored): bits a pixel of the colour buffers.
std::optional<int> ParseColourSetting(std::string_view text);

// Everything the settings file chooses.
struct LibrarySettings {
  ScaleSetting scale;
  int colourBits = 16;  // 16 or 32
  bool operator==(const LibrarySettings&) const = default;
};

// The library's settings file: one section, [glide], with `scale = ...` and
// `color = ...`. Lines starting with ; or # are comments. Anything not
// understood is described in *warnings (one line each) and leaves the
// default in place.
LibrarySettings ParseLibrarySettingsFile(std::string_view text, std::string* warnings);
// Its scale alone.
ScaleSetting ParseLibrarySettings(std::string_view text, std::string* warnings);

// $GLIDE_INI when set; else glide.ini in the savers' settings folder
// ($SAVER_HOME, else $XDG_CONFIG_HOME/savers, else ~/.config/savers).
std::filesystem::path LibrarySettingsPath();

// GLIDE_SCALE and GLIDE_COLOR, each when set and valid; else the settings
// file's choice (a file that is missing is no error; one that cannot be read
// or holds mistakes is reported on stderr and its defaults kept); else scale
// 1 and 16-bit colour. A variable that is set but not valid is reported on
// stderr and left to the file.
LibrarySettings ChosenLibrarySettings();
ScaleSetting ChosenScaleSetting();

}  // namespace gfx
