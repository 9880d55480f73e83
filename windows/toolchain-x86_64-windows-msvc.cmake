# The simulator's 64-bit (x64) edition.
set(KELVANE_WINDOWS_TARGET x86_64-pc-windows-msvc)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-windows-msvc.cmake)
