// world_config_dialog.cpp — the data exchange, initialisation and Browse of
// halcyon's configuration dialog.
#include "halcyon/settings/world_config_dialog.h"

namespace halcyon {
namespace {

constexpr int kFileNameEdit = 1000;
constexpr int kBrowseButton = 1008;
constexpr int kMuteCheck = 1021;
// Browse hands the file dialog at most this many characters of the edit text.
constexpr size_t kMaxInitialName = 499;

}  // namespace

const platform::MessageTable::Entry WorldConfigDialog::messageEntries[1] = {
    {WM_COMMAND, kBrowseButton, &platform::Bind<&WorldConfigDialog::Browse>},
};
const platform::MessageTable WorldConfigDialog::messageTable = {&platform::Dialog::messageTable,
                                                                messageEntries};

WorldConfigDialog::WorldConfigDialog() : platform::Dialog(102) {}
WorldConfigDialog::~WorldConfigDialog() = default;

const platform::MessageTable* WorldConfigDialog::GetMessageTable() const {
  return &messageTable;
}

void WorldConfigDialog::DoDataExchange(platform::DataExchange& exchange) {
  exchange.Text(kFileNameEdit, fileName);
  exchange.Check(kMuteCheck, mute);
}

BOOL WorldConfigDialog::OnInitDialog() {
  // A stored value the box cannot show reads as "music on".
  if (mute < 0 || mute > 2) mute = 0;
  platform::Dialog::OnInitDialog();
  CenterWindow();
  return TRUE;
}

platform::Reply WorldConfigDialog::Browse(const platform::Message&) {
  std::string initial = GetDlgItemText(kFileNameEdit);
  if (initial.size() > kMaxInitialName) initial.resize(kMaxInitialName);
  std::string chosen;
  if (platform::OpenFileDialog(Handle(), initial, kMusicFileFilter, chosen)) {
    SetDlgItemText(kFileNameEdit, chosen);
  }
  return platform::Reply::Handled();
}

}  // namespace halcyon
