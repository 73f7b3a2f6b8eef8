#include "launcher/program_roles.h"

#include "launcher/process_start.h"
#include "util/hi.h"

void ProgramRoles::DownSize(const TArgs&) {}
void ProgramRoles::Splash(const std::string&) {}
void ProgramRoles::Setup(const TArgs&) {}
void ProgramRoles::Patch(const std::string&, const std::string&, const std::string&) {}

bool ProgramRoles::FileExists(const std::string& path) { return THi::FileExists(path); }

void ProgramRoles::Relaunch() { RelaunchSelf(); }

// The launcher window is not built yet: the interactive process ends normally.
void ProgramRoles::RunInteractive() {}

void ProgramRoles::ProcessMessages() { ProcessPendingMessages(); }

void ProgramRoles::KillSelf() { THi::KillSelf(); }
