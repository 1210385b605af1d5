# The configuration dialog, and the dialog widgets of the framework that only it uses so far.
set(CONFIG_PORTABLE
    ${CMAKE_CURRENT_LIST_DIR}/ConfigRanges.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ConfigRules.cpp
    ${CMAKE_SOURCE_DIR}/framework/WidgetValues.cpp
)
set(CONFIG_WIN32
    ${CMAKE_CURRENT_LIST_DIR}/config.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Form2Layout.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GifPreview.cpp
    ${CMAKE_SOURCE_DIR}/framework/win32/ActivationContext.cpp
    ${CMAKE_SOURCE_DIR}/framework/win32/ColorButton.cpp
    ${CMAKE_SOURCE_DIR}/framework/win32/DialogControls.cpp
    ${CMAKE_SOURCE_DIR}/framework/win32/OpenPictureDialog.cpp
    ${CMAKE_SOURCE_DIR}/framework/win32/SpinEdit.cpp
)
