# SPDX-License-Identifier: MIT
# One helper per kind of target. Sources are found by folder: every .cpp of a core folder that is
# not a test (name ending in _test.cpp) belongs to the layer library of that folder; the tests of a
# folder form one executable named after it.

# tolvane_add_layer(NAME [BELOW layer...] [LIBS lib...]): the static library tolvane_NAME of the
# folder NAME, linked to the layers directly below it. Its sources see, through an include root of
# links under the build tree, only their own folder and the folders of the layers below, so an
# include that points up a layer fails to compile.
function(tolvane_add_layer name)
  cmake_parse_arguments(L "" "" "BELOW;LIBS" ${ARGN})
  set(visible ${name})
  foreach(below ${L_BELOW})
    get_property(sub GLOBAL PROPERTY TOLVANE_LAYER_VISIBLE_${below})
    list(APPEND visible ${sub})
  endforeach()
  list(REMOVE_DUPLICATES visible)
  set_property(GLOBAL PROPERTY TOLVANE_LAYER_VISIBLE_${name} ${visible})
  set(root ${CMAKE_BINARY_DIR}/layers/${name})
  file(REMOVE_RECURSE ${root})
  file(MAKE_DIRECTORY ${root})
  foreach(dir ${visible})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${dir} ${root}/${dir} SYMBOLIC)
  endforeach()
  tolvane_collect_sources(srcs ${name})
  add_library(tolvane_${name} STATIC ${srcs})
  target_include_directories(tolvane_${name} PRIVATE ${root})
  list(TRANSFORM L_BELOW PREPEND tolvane_)
  target_link_libraries(tolvane_${name} PUBLIC ${L_BELOW} ${L_LIBS})
  set_property(GLOBAL APPEND PROPERTY TOLVANE_LAYERS tolvane_${name})
endfunction()

function(tolvane_collect_sources out)
  set(all)
  foreach(dir ${ARGN})
    file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
    list(FILTER srcs EXCLUDE REGEX "_(test|fuzz)\\.cpp$")
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
  if(NOT TARGET tolvane_test_main)
    add_library(tolvane_test_main OBJECT ${CMAKE_SOURCE_DIR}/testutil/TestMain.cpp)
    target_link_libraries(tolvane_test_main PRIVATE GTest::gtest)
  endif()
  add_executable(${target} ${tests} $<TARGET_OBJECTS:tolvane_test_main>)
  target_link_libraries(${target} PRIVATE tolvane_core GTest::gtest)
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/testutil)
  gtest_discover_tests(${target} WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
                       PROPERTIES ENVIRONMENT "TOLVANE_TEST_TMP=${CMAKE_BINARY_DIR}/testtmp"
                       DISCOVERY_TIMEOUT 60)
endfunction()

# tolvane_add_fuzz_replays(): every */X_fuzz.cpp linked with a replay main and run by CTest over
# its seed corpus fuzz/corpus/X, so the fuzz entry points are exercised without a fuzzing engine.
function(tolvane_add_fuzz_replays)
  file(GLOB fuzzers CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/*/*_fuzz.cpp)
  foreach(src ${fuzzers})
    get_filename_component(name ${src} NAME_WE)
    string(REGEX REPLACE "_fuzz$" "" corpus ${name})
    add_executable(${name}_replay ${src} ${CMAKE_SOURCE_DIR}/testutil/FuzzReplay.cpp)
    target_link_libraries(${name}_replay PRIVATE tolvane_core)
    add_test(NAME ${name}_replay COMMAND ${name}_replay ${CMAKE_SOURCE_DIR}/fuzz/corpus/${corpus})
  endforeach()
endfunction()

function(tolvane_add_benchmark name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE tolvane_core benchmark::benchmark)
endfunction()
