# The GIF reader and the view control's logic are portable; the view's window side is not.
set(CONTROLS_PORTABLE ${CMAKE_CURRENT_LIST_DIR}/GIFReader.cpp ${CMAKE_CURRENT_LIST_DIR}/GIFBitmaps.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GIFImage.cpp)
set(CONTROLS_WIN32 ${CMAKE_CURRENT_LIST_DIR}/GIFBitmapsGdi.cpp ${CMAKE_CURRENT_LIST_DIR}/GIFImageWin.cpp)
