// main.cpp — the tessera program: registers its resources and runs the
// application object, whose start-up does all the work.
#include "platform/resources.h"
#include "platform/window.h"
#include "tessera/app/saver_app.h"
#include "tessera/resources/bitmap.h"
#include "tessera/resources/dialog_templates.h"

namespace {
tessera::SaverApp theApp;
}

int main(int argc, char** argv) {
  platform::RegisterBitmap(tessera::kSaverBitmapId, tessera::Bitmap134());
  tessera::RegisterDialogTemplates();
  return platform::RunApp(theApp, argc, argv);
}
