set(HOST_PORTABLE
    ${CMAKE_CURRENT_LIST_DIR}/VisSettings.cpp
)
set(HOST_WIN32
    ${CMAKE_CURRENT_LIST_DIR}/SettingsFile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Vis.cpp
)
