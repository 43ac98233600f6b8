// dialog_templates.h — halcyon's dialog template: the configuration dialog (102).
#pragma once

namespace halcyon {

// Registers template 102 with the platform's resources; call once at
// start-up, before the configuration dialog is created.
void RegisterDialogTemplates();

}  // namespace halcyon
