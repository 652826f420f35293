# What both Linux cross builds share; the toolchain files name the target first
# (VEXLOR_MINGW_TRIPLE, CMAKE_SYSTEM_PROCESSOR). The posix thread model is needed: the test
# framework uses std::mutex.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${VEXLOR_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VEXLOR_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VEXLOR_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VEXLOR_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Test programs run under Wine; the build's own wrapper (tests/harness) picks the prefix.
set(VEXLOR_RUN_UNDER_WINE ON)
