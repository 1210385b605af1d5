# The GIF reader is portable; the view control's window side will join CONTROLS_WIN32.
set(CONTROLS_PORTABLE ${CMAKE_CURRENT_LIST_DIR}/GIFReader.cpp ${CMAKE_CURRENT_LIST_DIR}/GIFBitmaps.cpp)
set(CONTROLS_WIN32)
