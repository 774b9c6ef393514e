# Cross-builds for 64-bit Windows with MinGW-w64. Used for the test programs that exercise
# Windows-facing code under 64-bit Wine (see README: this machine cannot execute 32-bit code).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VANU_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
