# The warnings every target of a tree compiles with, for the Linux tree and the Windows trees.
# KELVANE_WERROR makes them errors. The project's scripts and CI always turn it on, so that no
# warning lands; it is off by default so that a packager whose newer compiler warns about
# something new can still build.
option(KELVANE_WERROR "Treat compiler warnings as errors (the project's scripts turn it on)" OFF)
set(KELVANE_WARNING_FLAGS -Wall -Wextra -Wpedantic)
if(KELVANE_WERROR)
  list(APPEND KELVANE_WARNING_FLAGS -Werror)
endif()
