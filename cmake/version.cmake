# The release: its version (the packages' names, the manual, kelvane-sim --version and the
# DLLs' version resource carry it) and its date, which the module's ModuleDate export returns and
# the host logs as the module's build. The date is fixed here with the version, never taken from
# the build machine's clock, so that a rebuild gives the same bytes.
set(KELVANE_VERSION 1.1.0)
set(KELVANE_RELEASE_DATE "Dec 09 2026")
# The earlier releases, newest first, each VERSION=DATE: the dated history that the packages
# carry (CHANGES.txt) and the manual shows takes every release's date from here. On a release,
# move the version above here with its date.
set(KELVANE_EARLIER_RELEASES "1.0.0=Dec 09 2026")
