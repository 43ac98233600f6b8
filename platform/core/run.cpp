// run.cpp — starting a program run on the chosen backend.
#include "core/core.h"

namespace platform {

void StartRun() {
  TheDriver();
}

}  // namespace platform
