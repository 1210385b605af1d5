# The settings record and its loading are portable; where plugin.ini lies is asked of Windows.
set(SETTINGS_PORTABLE
    ${CMAKE_CURRENT_LIST_DIR}/VisSettings.cpp
)
set(SETTINGS_WIN32
    ${CMAKE_CURRENT_LIST_DIR}/SettingsFile.cpp
)
