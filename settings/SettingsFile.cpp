#include <string>

#include "framework/win32/ProfileStore.h"
#include "settings/VisSettings.h"

std::string SettingsFilePath() {
    return ExecutableDirectory() + SettingsFileName;
}
