// Writes the world saver's background music module to the path given as the one argument.
#include <cstdio>
#include <exception>
#include <fstream>

#include "composer.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_trans OUTPUT.xm\n");
    return 2;
  }
  try {
    std::vector<std::uint8_t> bytes = music::WriteXm(music::ComposeTrans());
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::fprintf(stderr, "make_trans: cannot write %s\n", argv[1]);
      return 1;
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "make_trans: %s\n", error.what());
    return 1;
  }
  return 0;
}
