// sdl_driver.cpp — the desktop backend over SDL2.
#include <SDL.h>

#include "core/core.h"

namespace platform {

bool SdlDisplayAvailable() {
  return false;
}

std::unique_ptr<Driver> CreateSdlDriver() {
  return CreateHeadlessDriver();
}

}  // namespace platform
