// resources.h — the resources built into a program (dialog templates,
// bitmaps, the string table, custom resources such as a texture bank). A
// program registers them at start-up, before RunApp; FindResourceA and the
// dialog classes look them up here.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace platform {

struct DialogTemplate;

// bytes must outlive the program (static data).
void RegisterResource(const std::string& type, int id, std::span<const uint8_t> bytes);
void RegisterDialogTemplate(const DialogTemplate& dialogTemplate);
// A bitmap as the bytes of a .bmp file (uncompressed, 8 bits per pixel with palette, or 24 bits).
void RegisterBitmap(int id, std::span<const uint8_t> bmpFile);
void RegisterString(int id, const std::string& text);

const DialogTemplate* FindDialogTemplate(int id);  // null when missing
std::span<const uint8_t> FindBitmap(int id);       // empty when missing
const std::string* FindString(int id);             // null when missing

}  // namespace platform
