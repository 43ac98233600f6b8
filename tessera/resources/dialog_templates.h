// dialog_templates.h — tessera's dialog templates: the saver window (129)
// and the configuration dialog (130).
#pragma once

namespace tessera {

// Registers templates 129 and 130 with the platform's resources; call once
// at start-up, before any dialog is created.
void RegisterDialogTemplates();

}  // namespace tessera
