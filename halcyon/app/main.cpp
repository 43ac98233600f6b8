// main.cpp — halcyon, the world screen saver: registers the program's
// resources and runs the application.
#include <string>

#include "halcyon/app/world_saver_app.h"
#include "halcyon/resources/dialog_templates.h"
#include "halcyon/resources/texture_bank_resource.h"
#include "platform/resources.h"
#include "platform/window.h"

namespace {

halcyon::WorldSaverApp theApp;

}  // namespace

int main(int argc, char** argv) {
  platform::RegisterResource("TEXTURE", 666, halcyon::TextureBankResourceBytes());
  platform::RegisterString(1, "3Dfx Farreach ");
  halcyon::RegisterDialogTemplates();
  return platform::RunApp(theApp, argc, argv);
}
