# Cross-compiles the same sources as a 64-bit Windows program on Linux with MinGW-w64.
# Machines that run no 32-bit code test this build under Wine's 64-bit loader.
set(VEXLOR_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-cross.cmake)
