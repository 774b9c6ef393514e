# GoogleTest, built from Debian's source package for whichever compiler this configuration uses.
enable_testing()
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

if(WIN32)
  # Windows test programs run under Wine, in a prefix that belongs to this build folder.
  set(VANU_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh ${VANU_WINEPREFIX})
endif()

# vanu_add_test(<target> [WINDOWED] [SERIAL]): registers every GoogleTest case of <target>
# with ctest. Under Wine the cases are listed at test time, once the prefix exists.
# WINDOWED cases get a display; SERIAL cases (they share named kernel objects such as the
# launcher's mutex and pipe) never run at the same time as one another.
function(vanu_add_test target)
  cmake_parse_arguments(ARG "WINDOWED;SERIAL" "" "" ${ARGN})
  target_link_libraries(${target} PRIVATE GTest::gtest_main)
  set(properties TIMEOUT 120)
  if(ARG_WINDOWED)
    list(APPEND properties ENVIRONMENT "VANU_WINDOWED=1")
  endif()
  if(ARG_SERIAL)
    list(APPEND properties RESOURCE_LOCK vanu_named_objects)
  endif()
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 180
    PROPERTIES ${properties})
endfunction()
