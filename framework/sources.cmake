set(FRAMEWORK_PORTABLE
    ${CMAKE_CURRENT_LIST_DIR}/MemoryCanvas.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Monitors.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Random.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SettingsValue.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Thread.cpp
)
# The clock, lock, condition and worker thread are portable in use, with one implementation per build
# (the clock natively is the standard one).
if(WIN32)
    list(APPEND FRAMEWORK_PORTABLE ${CMAKE_CURRENT_LIST_DIR}/win32/Clock.cpp ${CMAKE_CURRENT_LIST_DIR}/win32/Sync.cpp
        ${CMAKE_CURRENT_LIST_DIR}/win32/Worker.cpp)
else()
    list(APPEND FRAMEWORK_PORTABLE ${CMAKE_CURRENT_LIST_DIR}/Sync.cpp ${CMAKE_CURRENT_LIST_DIR}/Worker.cpp)
endif()
set(FRAMEWORK_WIN32
    ${CMAKE_CURRENT_LIST_DIR}/win32/Controls.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/GdiCanvas.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/GdiSurface.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/GraphicControl.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/HandOver.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/Monitors.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/ProfileStore.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/Timer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32/Window.cpp
)
