set(DISPLAY_PORTABLE
    ${CMAKE_CURRENT_LIST_DIR}/BandLayout.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DisplayState.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RenderHook.cpp
)
set(DISPLAY_WIN32
    ${CMAKE_CURRENT_LIST_DIR}/MainForm.cpp
)
