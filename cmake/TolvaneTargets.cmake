# SPDX-License-Identifier: MIT
# One helper per kind of target. Sources are found by folder: every .cpp of a core folder that is
# not a test (name ending in _test.cpp) belongs to tolvane_core; the tests of a folder form one
# executable named after it.

function(tolvane_collect_sources out)
  set(all)
  foreach(dir ${ARGN})
    file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
    list(FILTER srcs EXCLUDE REGEX "_test\\.cpp$")
    list(APPEND all ${srcs})
  endforeach()
  set(${out} ${all} PARENT_SCOPE)
endfunction()

# tolvane_add_tests(dir): builds dir/*_test.cpp into <dir>_tests and registers each test with CTest.
function(tolvane_add_tests dir)
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*_test.cpp)
  if(NOT tests)
    return()
  endif()
  set(target ${dir}_tests)
  add_executable(${target} ${tests} ${CMAKE_SOURCE_DIR}/testutil/TestMain.cpp)
  target_link_libraries(${target} PRIVATE tolvane_core GTest::gtest)
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/testutil)
  gtest_discover_tests(${target} WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
                       PROPERTIES ENVIRONMENT "TOLVANE_TEST_TMP=${CMAKE_BINARY_DIR}/testtmp"
                       DISCOVERY_TIMEOUT 60)
endfunction()

function(tolvane_add_benchmark name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE tolvane_core benchmark::benchmark)
endfunction()
