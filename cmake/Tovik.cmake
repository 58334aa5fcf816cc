# Build helpers shared by every subsystem folder: libraries, whole-archive linking and labelled tests.

# tovik_library(<name> SOURCES ... [DEPS ...]) builds the static library tovik_<name>.
# Sources include each other from the repository root ("core/Vector4.h"). Our own libraries refer to
# each other in both directions (the scene draws bodies, bodies read textures), so they are not linked
# to each other here: every program names all of ours it needs and links them whole (tovik_link_whole).
# Only the external libraries in DEPS are linked.
function(tovik_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(tovik_${name} STATIC ${ARG_SOURCES})
  target_include_directories(tovik_${name} PUBLIC ${CMAKE_SOURCE_DIR})
  foreach(dep ${ARG_DEPS})
    if(NOT dep MATCHES "^tovik_")
      target_link_libraries(tovik_${name} PUBLIC ${dep})
    endif()
  endforeach()
endfunction()

# What each of our libraries needs of the others, transitively. Drawing needs bodies and patterns,
# bodies read textures, the higher subsystems need everything.
set(TOVIK_NEEDS_engine core)
set(TOVIK_NEEDS_graphics engine core physics effects)
set(TOVIK_NEEDS_physics graphics engine core effects)
set(TOVIK_NEEDS_effects graphics physics engine core)
set(TOVIK_NEEDS_platform engine core)
foreach(top game audio ui editor)
  set(TOVIK_NEEDS_${top} core engine platform graphics physics effects game audio ui editor)
endforeach()

# Serialisable classes register themselves during static initialisation, so a program must keep
# every object file of our libraries, referenced or not. The libraries a program names are completed
# with what they need.
function(tovik_link_whole target)
  set(libs)
  foreach(lib ${ARGN})
    list(APPEND libs ${lib})
    if(lib MATCHES "^tovik_(.*)$")
      foreach(dep ${TOVIK_NEEDS_${CMAKE_MATCH_1}})
        if(TARGET tovik_${dep})
          list(APPEND libs tovik_${dep})
        endif()
      endforeach()
    endif()
  endforeach()
  list(REMOVE_DUPLICATES libs)
  foreach(lib ${libs})
    if(lib MATCHES "^tovik_")
      target_link_libraries(${target} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${lib}>")
    else()
      target_link_libraries(${target} PRIVATE ${lib})
    endif()
  endforeach()
endfunction()

# tovik_test(<name> LABEL <label> [GL] SOURCES ... LIBS ...)
# GL tests make a headless context with SDL's offscreen driver.
function(tovik_test name)
  cmake_parse_arguments(ARG "GL" "LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  tovik_link_whole(${name} ${ARG_LIBS})
  target_link_libraries(${name} PRIVATE GTest::gtest_main GTest::gmock)
  target_compile_definitions(${name} PRIVATE
    TOVIK_SOURCE_DIR="${CMAKE_SOURCE_DIR}" TOVIK_BINARY_DIR="${CMAKE_BINARY_DIR}")
  set(labels ${ARG_LABEL})
  set(env "XDG_DATA_HOME=${CMAKE_BINARY_DIR}/test-home" "ALSOFT_CONF=${CMAKE_SOURCE_DIR}/tests/alsoft-null.conf"
    ${TOVIK_TEST_ENVIRONMENT})
  if(ARG_GL)
    list(APPEND labels gl)
    list(APPEND env "SDL_VIDEODRIVER=offscreen")
  endif()
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    DISCOVERY_TIMEOUT 60
    TEST_LIST ${name}_TESTS)
  # gtest_discover_tests splits every list-valued property into separate words, so the labels and the
  # environment are set by a file of our own that ctest reads after the discovered tests.
  set(properties_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_properties.cmake)
  file(WRITE ${properties_file}
    "if(${name}_TESTS)\n"
    "  set_tests_properties(\${${name}_TESTS} PROPERTIES LABELS \"${labels}\" TIMEOUT ${ARG_TIMEOUT}\n"
    "    ENVIRONMENT \"${env}\")\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${properties_file})
endfunction()

# tovik_benchmark(<name> SOURCES ... LIBS ...): a Google Benchmark program, plus a short ctest run
# (label "bench") so that every test run shows the figures.
function(tovik_benchmark name)
  cmake_parse_arguments(ARG "GL" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  tovik_link_whole(${name} ${ARG_LIBS})
  target_link_libraries(${name} PRIVATE benchmark::benchmark)
  if(ARG_GL)
    # The drawing benchmarks share one hidden window with a GL context.
    target_sources(${name} PRIVATE ${CMAKE_SOURCE_DIR}/bench/BenchGlContext.cpp)
    target_link_libraries(${name} PRIVATE SDL2::SDL2 GLEW::GLEW)
  endif()
  # The data folders beside the program, so that a benchmark finds its data from any working folder.
  foreach(folder Content Shaders)
    if(NOT EXISTS ${CMAKE_CURRENT_BINARY_DIR}/${folder})
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${CMAKE_CURRENT_BINARY_DIR}/${folder} SYMBOLIC)
    endif()
  endforeach()
  add_test(NAME ${name} COMMAND ${name} --benchmark_min_time=0.05 WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  set(env "XDG_DATA_HOME=${CMAKE_BINARY_DIR}/test-home")
  if(ARG_GL)
    list(APPEND env "SDL_VIDEODRIVER=offscreen")
  endif()
  set_tests_properties(${name} PROPERTIES LABELS bench TIMEOUT 600 ENVIRONMENT "${env}")
endfunction()

# Symlinks a data folder of the repository beside the binaries.
function(tovik_link_data folder)
  if(EXISTS ${CMAKE_SOURCE_DIR}/${folder} AND NOT EXISTS ${CMAKE_BINARY_DIR}/${folder})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${CMAKE_BINARY_DIR}/${folder} SYMBOLIC)
  endif()
endfunction()
