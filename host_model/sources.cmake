# The model of the host that both stand-in hosts build (kelvane-sim's library and the stand-in
# orbiter.exe), relative to the repository's root.
set(KELVANE_HOST_MODEL_SOURCES
  host_model/displays.cpp
  host_model/drawn_text.cpp
  host_model/host_crash.cpp
  host_model/host_log.cpp
  host_model/host_printf.cpp
  host_model/host_start.cpp
  host_model/module_loading.cpp
  host_model/redraw_schedule.cpp
  host_model/scenario_streams.cpp
  host_model/session.cpp
  host_model/vessels.cpp)
