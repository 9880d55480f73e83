# The module's sources, shared by the native build and the Windows build (windows/).
set(KELVANE_MODULE_SOURCES
  module/module.cpp
  settings/scenario_words.cpp
  settings/mfd_registry.cpp
  settings/display_status.cpp
  settings/state_block.cpp
  display/text_format.cpp
  display/text_layout.cpp
  display/number_format.cpp
  display/kelvane_mfd.cpp
  display/controls.cpp
  display/mass_page.cpp
  display/tank_page.cpp
  display/engine_page.cpp)
