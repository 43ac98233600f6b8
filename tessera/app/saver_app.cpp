// saver_app.cpp — tessera's start-up routine and its saver window.
#include "tessera/app/saver_app.h"

#include <algorithm>
#include <cfenv>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <system_error>

#include "platform/host.h"
#include "platform/win32.h"
#include "tessera/settings/settings.h"

namespace tessera {

std::string ArgumentText(std::string_view commandLine) {
  // The program's path is read by the rule it was written with, so no quote,
  // blank or control byte in its folder's name can spill into the arguments.
  size_t i = 0;
  platform::ReadCommandLineField(commandLine, i);
  while (i < commandLine.size() && static_cast<unsigned char>(commandLine[i]) <= 32) ++i;
  return std::string(commandLine.substr(i));
}

bool IsConfigureArgument(std::string_view argumentText) {
  if (argumentText.size() != 2) return false;
  const bool switchMark = argumentText[0] == '-' || argumentText[0] == '/';
  return switchMark && (argumentText[1] == 'C' || argumentText[1] == 'c');
}

std::optional<std::filesystem::path> ChooseDataFolder(const std::vector<std::filesystem::path>& folders) {
  std::error_code error;
  for (const std::filesystem::path& folder : folders) {
    if (std::filesystem::exists(folder / kDudeFile, error)) return folder;
    for (const char* texture : kTextureFiles) {
      if (std::filesystem::exists(folder / texture, error)) return folder;
    }
  }
  return std::nullopt;
}

std::vector<std::string> MissingDataFiles(const std::filesystem::path& folder) {
  std::vector<std::string> names = {kDudeFile, "object0.VH3", "object1.VH3", "object2.VH3"};
  names.insert(names.end(), kTextureFiles.begin(), kTextureFiles.end());
  std::vector<std::string> missing;
  std::error_code error;
  for (const std::string& name : names) {
    if (!std::filesystem::is_regular_file(folder / name, error)) missing.push_back(name);
  }
  return missing;
}

std::string MissingDataReport(const std::vector<std::filesystem::path>& folders,
                              const std::optional<std::filesystem::path>& chosen) {
  if (!chosen) {
    std::string text = "tessera: cannot find its models and textures (dude.vh3, tex1.3df, ...); looked in";
    for (size_t i = 0; i < folders.size(); ++i) text += (i == 0 ? " " : ", ") + folders[i].string();
    return text;
  }
  const std::vector<std::string> missing = MissingDataFiles(*chosen);
  if (missing.empty()) return {};
  std::string text = "tessera: missing from " + chosen->string() + ":";
  for (const std::string& name : missing) text += " " + name;
  return text;
}

// The scene is specified in single precision and must give the same frames on
// every machine. On x86-64 float arithmetic runs in SSE registers at single
// precision already, and the build forbids fused multiply-adds
// (-ffp-contract=off), so the x87 precision-control step has nothing left to
// do there. What does matter is the rest of the control state: restoring the
// default environment gives rounding to nearest with every exception masked
// (the SSE control register's reset state), whatever a library left behind.
// Only a 32-bit x87 build also needs the precision field set to 24 bits.
void SetSceneFloatingPoint() {
  std::fesetenv(FE_DFL_ENV);
#if defined(__i386__) && !defined(__SSE2_MATH__)
  const unsigned short singlePrecision = 0x007F;
  __asm__ volatile("fldcw %0" : : "m"(singlePrecision));
#endif
}

// ---- SaverWindow -------------------------------------------------------------

const platform::MessageTable::Entry SaverWindow::kEntries[2] = {
    {WM_SHOWWINDOW, 0, &platform::Bind<&SaverWindow::OnShowWindow>},
    {WM_MOUSEMOVE, 0, &platform::Bind<&SaverWindow::OnMouseMove>},
};
const platform::MessageTable SaverWindow::kMessageTable = {&platform::Dialog::messageTable, kEntries};

SaverWindow::SaverWindow(ObjectScene& scene, Random& random)
    : platform::Dialog(kSaverWindowTemplate), scene(scene), random(random) {}

const platform::MessageTable* SaverWindow::GetMessageTable() const {
  return &kMessageTable;
}

BOOL SaverWindow::OnInitDialog() {
  const BOOL defaultFocus = platform::Dialog::OnInitDialog();
  SetUpScene(scene, random);
  return defaultFocus;
}

platform::Reply SaverWindow::OnShowWindow(const platform::Message& message) {
  const LRESULT result = DefaultProc(message);
  RunFrames(scene, random, [this] { return HasEnded(); });
  return platform::Reply::Handled(result);
}

platform::Reply SaverWindow::OnMouseMove(const platform::Message&) {
  // In another program's window (XScreenSaver) that program decides when the
  // saver ends.
  if (!platform::IsHosted()) EndDialog(0);
  return platform::Reply::Default();
}

// ---- SaverStartup ------------------------------------------------------------

SaverStartup::SaverStartup(ObjectScene& scene, Random& random) : scene(scene), random(random) {
  seed = [] {
    if (const std::optional<uint32_t> fixed = platform::SeedOverride()) return *fixed;
    return static_cast<uint32_t>(std::time(nullptr));
  };
  exitProcess = [](int status) { std::exit(status); };
}

int SaverStartup::Run(std::string_view commandLine) {
  // The saver window exists (unshown) in both modes, as the random seed does.
  SaverWindow window(scene, random);
  random.Seed(seed());
  if (IsConfigureArgument(ArgumentText(commandLine))) return Configure();

  if (enterDataFolder) {
    // A missing model leaves its slot empty and a missing texture ends the run
    // with status -1, as always; standard error says which files were missing.
    const std::vector<std::filesystem::path> folders = platform::DataFolders(SAVERS_INSTALLED_DATA);
    const std::optional<std::filesystem::path> folder = ChooseDataFolder(folders);
    if (const std::string report = MissingDataReport(folders, folder); !report.empty())
      std::fprintf(stderr, "%s\n", report.c_str());
    std::error_code error;
    if (folder) std::filesystem::current_path(*folder, error);
  }
  // The settings never hold more than the 50 slots of the scene; a
  // hand-edited value beyond them, or a negative one, is brought into range.
  scene.objectCount = static_cast<uint32_t>(std::clamp<int32_t>(ReadMaxObjects(), 0, kObjectSlots));

  grGlideInit();
  GrHwConfiguration hardware{};
  if (!grSstQueryHardware(&hardware)) {
    MessageBoxA(0, kNoBoardText, kNoBoardCaption, MB_OK);
    return 0;
  }
  grSstSelect(0);
  grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_60Hz, GR_COLORFORMAT_RGBA, GR_ORIGIN_LOWER_LEFT, 2, 1);
  guColorCombineFunction(GR_COLORCOMBINE_DECAL_TEXTURE);
  for (int slot = 0; slot < kTextureSlots; ++slot) {
    const std::optional<GrMipMapId_t> handle = TryLoadTexture(kTextureFiles[static_cast<size_t>(slot)]);
    if (!handle) {
      grGlideShutdown();
      exitProcess(-1);
      return -1;
    }
    scene.textureHandles[static_cast<size_t>(slot)] = *handle;
  }
  grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER);
  grDepthBufferFunction(GR_CMP_LESS);
  grDepthMask(FXTRUE);
  SetSceneFloatingPoint();

  window.SetInvisible(true);
  window.DoModal();
  ++saverWindowRuns;
  grGlideShutdown();
  return 0;
}

int SaverStartup::Configure() {
  ConfigDialog dialog;
  const INT_PTR result = dialog.DoModal();
  // A confirmed count that could not be saved (the store said why on
  // standard error) fails the run, as does -1: the dialog could not be shown
  // at all (no display, no terminal); it said why and nothing was written.
  if (result == IDOK && !WriteMaxObjects(dialog.enteredCount)) return 1;
  return result < 0 ? 1 : 0;
}

// ---- SaverApp ----------------------------------------------------------------

bool SaverApp::Initialize() {
  SaverStartup startup(scene, random);
  exitStatus = startup.Run(GetCommandLineA());
  return false;
}

int SaverApp::ExitInstance() {
  return exitStatus;
}

}  // namespace tessera
