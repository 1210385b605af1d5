#include <string>

#include "framework/win32/ProfileStore.h"
#include "host/VisSettings.h"

std::string SettingsFilePath() {
    return ExecutableDirectory() + SettingsFileName;
}
