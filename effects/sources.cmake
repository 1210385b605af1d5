set(EFFECTS_PORTABLE
    ${CMAKE_CURRENT_LIST_DIR}/EffectThread.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SpectrumThread.cpp
    ${CMAKE_CURRENT_LIST_DIR}/vumeterThread.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Renderers.cpp
)
set(EFFECTS_WIN32
)
