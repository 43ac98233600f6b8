// main.cpp — halcyon_art, the generator of halcyon's built-in art.
//   halcyon_art bank OUT.cpp [SHEET.png]   the texture bank as a C++ byte array
//   halcyon_art sheet OUT.png              a contact sheet of the texture bank
//   halcyon_art mesh FOLDER                world_mesh.h and world_mesh.cpp
// Everything is drawn from fixed seeds: the same bytes on every run.
#include <cstdio>
#include <exception>
#include <fstream>
#include <stdexcept>
#include <string>

#include "art.h"
#include "mesh.h"

namespace {

void WriteBankSource(const std::vector<uint8_t>& bank, const std::string& path) {
  std::string text;
  text.reserve(bank.size() * 4 + 1024);
  text +=
      "// The texture bank of halcyon (resource \"TEXTURE\" 666), written by\n"
      "// tools/halcyon_art at build time.\n"
      "#include <cstddef>\n#include <cstdint>\n\nnamespace halcyon {\n\n"
      "extern const uint8_t textureBankBytes[];\nextern const size_t textureBankByteCount;\n\n"
      "alignas(16) const uint8_t textureBankBytes[] = {\n";
  char number[8];
  for (size_t i = 0; i < bank.size(); ++i) {
    std::snprintf(number, sizeof number, "%u,", bank[i]);
    text += number;
    if (i % 32 == 31) text += '\n';
  }
  text += "};\nconst size_t textureBankByteCount = sizeof textureBankBytes;\n\n}  // namespace halcyon\n";
  std::string temporary = path + ".part";
  {
    std::ofstream out(temporary, std::ios::binary);
    out << text;
    if (!out) throw std::runtime_error("cannot write " + temporary);
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) throw std::runtime_error("cannot write " + path);
}

int Usage() {
  std::fprintf(stderr, "usage: halcyon_art bank OUT.cpp [SHEET.png] | sheet OUT.png | mesh FOLDER\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  std::string command = argv[1];
  try {
    if (command == "bank") {
      std::vector<uint8_t> bank = halcyon_art::BuildBank();
      WriteBankSource(bank, argv[2]);
      if (argc > 3) halcyon_art::WriteContactSheet(bank, argv[3]);
    } else if (command == "sheet") {
      halcyon_art::WriteContactSheet(halcyon_art::BuildBank(), argv[2]);
    } else if (command == "mesh") {
      halcyon_art::WriteWorldMeshSource(halcyon_art::BuildWorldMesh(), argv[2]);
    } else {
      return Usage();
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "halcyon_art: %s\n", e.what());
    return 1;
  }
  return 0;
}
