// On Windows a program's resources are the ones in its file (its .rc): the
// platform finds those first, and the ones a program registers stand in for
// any the file lacks.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/resources.h"
#include "platform/win32.h"

namespace platform {
namespace {

const uint8_t kRegistered[] = {'o', 't', 'h', 'e', 'r'};

std::string ResourceText(const char* name, const char* type) {
  HRSRC found = FindResourceA(nullptr, name, type);
  if (found == nullptr) return "(missing)";
  const void* bytes = LockResource(LoadResource(nullptr, found));
  return std::string(static_cast<const char*>(bytes), SizeofResource(nullptr, found));
}

TEST(ModuleResourcesTest, TheProgramFileComesFirst) {
  RegisterResource("TEXTURE", 666, kRegistered);
  RegisterResource("TEXTURE", 667, kRegistered);
  EXPECT_EQ(ResourceText("#666", "TEXTURE"), "bank");
  EXPECT_EQ(ResourceText(MAKEINTRESOURCEA(666), "texture"), "bank");
  // What the file lacks, the registered resources give.
  EXPECT_EQ(ResourceText("#667", "TEXTURE"), "other");
  EXPECT_EQ(ResourceText("#668", "TEXTURE"), "(missing)");
}

TEST(ModuleResourcesTest, StringsComeFromTheStringTable) {
  RegisterString(1, "registered");
  RegisterString(2, "only registered");
  ASSERT_NE(FindString(1), nullptr);
  EXPECT_EQ(*FindString(1), "3Dfx Farreach ");
  ASSERT_NE(FindString(2), nullptr);
  EXPECT_EQ(*FindString(2), "only registered");
  EXPECT_EQ(FindString(3), nullptr);
}

}  // namespace
}  // namespace platform
