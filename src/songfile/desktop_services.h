#pragma once
// The desktop services of the song files, taken from the window's platform services; where a
// caller gave none, a stand-in that does nothing (no dialog answers, no message, no registry
// entry, nothing opened, no pause).

#include <string>

#include "platform/comdlg/common_dialog.h"
#include "platform/kernel/kernel.h"
#include "platform/registry/registry.h"
#include "platform/services.h"
#include "platform/shell/shell.h"

namespace strumwell::songfile {

platform::CommonDialog& SaveDialog(const platform::Services& services);
platform::CommonDialog& OpenDialog(const platform::Services& services);
platform::Registry& RegistryOf(const platform::Services& services);
platform::Shell& ShellOf(const platform::Services& services);
void Sleep(const platform::Services& services, unsigned milliseconds);
void Tell(const platform::Services& services, const std::string& text);

}  // namespace strumwell::songfile
