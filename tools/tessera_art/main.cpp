// main.cpp — tessera_art: writes tessera's data files.
//   tessera_art data DIR         the four model files and six textures into DIR
//   tessera_art bitmap FILE.cpp  bitmap 134 as a C++ source that builds it into the program
//   tessera_art preview DIR      PNG previews of the textures (as stored) and of bitmap 134
#include <cstdio>
#include <cstring>
#include <string>

#include "art.h"

namespace {

std::vector<art::Mesh> Objects() {
  return {art::MakeGem(), art::MakeRing(), art::MakeStar()};
}

std::vector<art::Image> Textures() {
  std::vector<art::Image> textures;
  for (int i = 0; i < 6; ++i) textures.push_back(art::MakeTexture(i));
  return textures;
}

// The texture as a reader of the file sees it (565 with its dither).
art::Image AsStored(const art::Image& image) {
  art::Image out(image.width, image.height);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) out.At(x, y) = art::Quantised565(image.At(x, y), x, y);
  }
  return out;
}

bool WriteData(const std::string& dir) {
  bool ok = art::WriteFile(dir + "/dude.vh3", art::EncodeModel(art::MakeFigure()));
  const std::vector<art::Mesh> objects = Objects();
  for (size_t i = 0; i < objects.size(); ++i) {
    ok = art::WriteFile(dir + "/object" + std::to_string(i) + ".VH3", art::EncodeModel(objects[i])) && ok;
  }
  const std::vector<art::Image> textures = Textures();
  for (size_t i = 0; i < textures.size(); ++i) {
    ok = art::WriteFile(dir + "/" + art::kTextureNames[i], art::Encode3df(textures[i])) && ok;
  }
  return ok;
}

bool WriteBitmapSource(const std::string& path) {
  const art::Image picture = art::RenderSaverPicture(Textures(), art::MakeFigure(), Objects());
  const std::vector<uint8_t> bmp = art::EncodeBmp8(picture);
  std::string text =
      "// Bitmap 134, the picture of the saver shown in its dialogs: an 8-bit .bmp\n"
      "// made by tools/tessera_art at build time.\n"
      "#include \"tessera/resources/bitmap.h\"\n\n"
      "namespace tessera {\n\nnamespace {\nconst uint8_t kBitmap134[] = {";
  for (size_t i = 0; i < bmp.size(); ++i) {
    text += (i % 24 == 0) ? "\n    " : " ";
    text += std::to_string(bmp[i]) + ",";
  }
  text +=
      "\n};\n}  // namespace\n\nstd::span<const uint8_t> Bitmap134() {\n  return kBitmap134;\n}\n\n}  // "
      "namespace tessera\n";
  return art::WriteFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

bool WritePreviews(const std::string& dir) {
  const std::vector<art::Image> textures = Textures();
  bool ok = true;
  for (size_t i = 0; i < textures.size(); ++i) {
    std::string name = art::kTextureNames[i];
    name = name.substr(0, name.find('.'));
    ok = art::WritePng(dir + "/" + name + ".png", AsStored(textures[i])) && ok;
  }
  return art::WritePng(dir + "/bitmap134.png",
                       art::RenderSaverPicture(textures, art::MakeFigure(), Objects())) &&
         ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s data DIR | bitmap FILE.cpp | preview DIR\n", argv[0]);
    return 2;
  }
  const std::string command = argv[1], target = argv[2];
  bool ok = false;
  if (command == "data") {
    ok = WriteData(target);
  } else if (command == "bitmap") {
    ok = WriteBitmapSource(target);
  } else if (command == "preview") {
    ok = WritePreviews(target);
  } else {
    std::fprintf(stderr, "%s: unknown command %s\n", argv[0], command.c_str());
    return 2;
  }
  if (!ok) std::fprintf(stderr, "%s: could not write %s\n", argv[0], target.c_str());
  return ok ? 0 : 1;
}
