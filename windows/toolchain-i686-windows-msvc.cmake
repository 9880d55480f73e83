# The simulator's 32-bit (x86) edition.
set(KELVANE_WINDOWS_TARGET i686-pc-windows-msvc)
set(CMAKE_SYSTEM_PROCESSOR X86)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-windows-msvc.cmake)
