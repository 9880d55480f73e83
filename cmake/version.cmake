# The release: its version (the packages' names, the manual, kelvane-sim --version and the
# DLLs' version resource carry it) and its date, which the module's ModuleDate export returns and
# the host logs as the module's build. The date is fixed here with the version, never taken from
# the build machine's clock, so that a rebuild gives the same bytes.
set(KELVANE_VERSION 1.1.0)
set(KELVANE_RELEASE_DATE "Dec 09 2026")
