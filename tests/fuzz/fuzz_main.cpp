// fuzz_main.cpp — the libFuzzer entry of one target, chosen at build time
// (FUZZ_ENTRY names one of fuzz_targets.h's functions).
#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return fuzz::FUZZ_ENTRY(data, size);
}
