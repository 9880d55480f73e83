# The proofs: a randomised lifetime checked against a model of the registry, the fuzzers' kept
# inputs replayed, and (in a program of its own, since it replaces the global allocator) every
# allocation failing in turn.
add_executable(kelvane_proof_tests
  test_main.cpp
  lifetime_model_test.cpp
  fuzz_corpus_test.cpp
  ${CMAKE_SOURCE_DIR}/fuzz/number_format_check.cpp
  ${CMAKE_SOURCE_DIR}/fuzz/read_status_check.cpp
  ${CMAKE_SOURCE_DIR}/fuzz/load_state_check.cpp
  ${CMAKE_SOURCE_DIR}/fuzz/vessel_class_check.cpp
  ${CMAKE_SOURCE_DIR}/fuzz/scenario_file_check.cpp)
target_link_libraries(kelvane_proof_tests PRIVATE kelvane_module kelvane_sim GTest::gtest)
target_compile_definitions(kelvane_proof_tests PRIVATE KELVANE_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
gtest_discover_tests(kelvane_proof_tests DISCOVERY_MODE PRE_TEST)

add_executable(kelvane_allocation_tests
  test_main.cpp
  allocation_failure_test.cpp)
target_link_libraries(kelvane_allocation_tests PRIVATE kelvane_module kelvane_sim GTest::gtest)
gtest_discover_tests(kelvane_allocation_tests DISCOVERY_MODE PRE_TEST)
