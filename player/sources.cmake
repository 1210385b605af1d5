# The test player: a portable half (options, signals, WAV reading, spectrum, log lines, BMP
# encoding) that the native build unit-tests, and the Win32 half that hosts a plug-in.
set(PLAYER_PORTABLE
    ${CMAKE_CURRENT_LIST_DIR}/AudioSource.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BmpImage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PlayerLog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PlayerOptions.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RenderPacer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FrequencyAnalyser.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WavFile.cpp)
set(PLAYER_WIN32
    ${CMAKE_CURRENT_LIST_DIR}/CrashGuard.cpp
    ${CMAKE_CURRENT_LIST_DIR}/InputInjection.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PlayerHost.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PlayerMain.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ScreenCapture.cpp)
