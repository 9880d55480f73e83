# Cross-compiles for Windows with the MSVC C++ ABI (the simulator's own compiler's name
# decoration and calling conventions, one deleting destructor per vtable): clang in MSVC mode and
# lld-link, without Microsoft's headers or libraries. Included by the two toolchain files, which
# set KELVANE_WINDOWS_TARGET and CMAKE_SYSTEM_PROCESSOR for the host's 32-bit or 64-bit edition.
set(CMAKE_SYSTEM_NAME Windows)

# The project's one LLVM version, which the build scripts and the Python tools read as well.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/../cmake/llvm-version KELVANE_LLVM_VERSION LIMIT_COUNT 1)
if(NOT KELVANE_LLVM_VERSION MATCHES "^[0-9]+$")
  message(FATAL_ERROR "cmake/llvm-version: no LLVM major version on its first line")
endif()
set(KELVANE_LLVM_BIN /usr/lib/llvm-${KELVANE_LLVM_VERSION}/bin CACHE PATH
    "Where clang, lld and the LLVM tools of cmake/llvm-version are")
set(CMAKE_C_COMPILER ${KELVANE_LLVM_BIN}/clang)
set(CMAKE_CXX_COMPILER ${KELVANE_LLVM_BIN}/clang++)
set(CMAKE_C_COMPILER_TARGET ${KELVANE_WINDOWS_TARGET})
set(CMAKE_CXX_COMPILER_TARGET ${KELVANE_WINDOWS_TARGET})
set(CMAKE_LINKER ${KELVANE_LLVM_BIN}/lld-link)
set(CMAKE_AR ${KELVANE_LLVM_BIN}/llvm-ar)
set(CMAKE_RC_COMPILER ${KELVANE_LLVM_BIN}/llvm-rc)
set(CMAKE_MT ${KELVANE_LLVM_BIN}/llvm-mt)

# No C runtime library to link a test program against.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
set(CMAKE_C_STANDARD_LIBRARIES "")
set(CMAKE_CXX_STANDARD_LIBRARIES "")

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# No Microsoft runtime library is linked; don't let CMake pick one.
set(CMAKE_MSVC_RUNTIME_LIBRARY "")
