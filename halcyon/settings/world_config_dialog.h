// world_config_dialog.h — halcyon's configuration dialog (template 102): the
// music file with its Browse button and the "Disable Music" switch.
#pragma once

#include <cstdint>
#include <string>

#include "platform/dialog.h"

namespace halcyon {

// Filters offered by Browse, the first one selected at first.
inline constexpr const char* kMusicFileFilter =
    "FastTracker Files (*.xm)|*.xm|ScreamTracker Files (*.s3m)|*.s3m|NoiseTracker Files (*.mod)|*.mod|All "
    "Files (*.*)|*.*||";

class WorldConfigDialog : public platform::Dialog {
 public:
  WorldConfigDialog();
  ~WorldConfigDialog() override;

  std::string fileName;  // edit 1000
  int32_t mute = 0;      // check box 1021: 0 unchecked, 1 checked

 protected:
  const platform::MessageTable* GetMessageTable() const override;
  void DoDataExchange(platform::DataExchange& exchange) override;
  BOOL OnInitDialog() override;
  static const platform::MessageTable messageTable;  // derived dialogs chain to it

 private:
  // Button 1008: picks a file with the open-file dialog and puts its full
  // path into the edit box; the fields change only at OK.
  platform::Reply Browse(const platform::Message& message);
  static const platform::MessageTable::Entry messageEntries[1];
};

}  // namespace halcyon
