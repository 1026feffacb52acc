# Cross build for Windows with MinGW-w64 (i686-w64-mingw32). The compiler's default thread
# model is win32, so nothing needs the winpthread DLL.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KAVRIN_MINGW_TRIPLE i686-w64-mingw32)
set(KAVRIN_WIDL_ARCH -m32)
set(CMAKE_C_COMPILER ${KAVRIN_MINGW_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${KAVRIN_MINGW_TRIPLE}-g++)
set(CMAKE_RC_COMPILER ${KAVRIN_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KAVRIN_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Floating point in SSE2 registers, as the 64-bit build computes: the x87 unit's 80-bit
# intermediates would round some exact .5 ties of a pixel row differently. (MinGW's i686
# compiler realigns the stack where SSE needs it, for hosts that keep it 4-byte aligned.)
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
