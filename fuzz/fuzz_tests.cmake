# The bounded fuzz run as tests of the suite: fuzz_NAME replays the target's
# seeds and then searches for LUMORA_FUZZ_SECONDS (15 unless set). The targets
# are native Linux programs built by fuzz/build, not Windows ones.
include(${CMAKE_CURRENT_LIST_DIR}/targets.cmake)
foreach(entry IN LISTS LUMORA_FUZZ_TARGETS)
  string(REGEX MATCH "^[a-z_]+" name "${entry}")
  add_test(NAME fuzz_${name} COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/run ${name})
  set_tests_properties(fuzz_${name} PROPERTIES TIMEOUT 300 LABELS fuzz)
endforeach()
