# The host's rules that both stand-in hosts build (kelvane-sim's library and the stand-in
# orbiter.exe), relative to the repository's root.
set(KELVANE_HOST_RULES_SOURCES
  host_rules/display_rules.cpp
  host_rules/drawn_text.cpp
  host_rules/module_rules.cpp
  host_rules/redraw_schedule.cpp
  host_rules/scenario_lines.cpp)
