# The GIF reader, the view control's logic and the scrolling text's behaviour are portable; the
# windows of the controls join CONTROLS_WIN32.
set(CONTROLS_PORTABLE ${CMAKE_CURRENT_LIST_DIR}/GIFReader.cpp ${CMAKE_CURRENT_LIST_DIR}/GIFBitmaps.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GIFImage.cpp ${CMAKE_CURRENT_LIST_DIR}/ScrollText.cpp)
set(CONTROLS_WIN32 ${CMAKE_CURRENT_LIST_DIR}/GIFBitmapsGdi.cpp ${CMAKE_CURRENT_LIST_DIR}/GIFImageWin.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ScrollTextWindow.cpp)
