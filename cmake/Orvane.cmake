# Helpers shared by every folder's build: savers with their .scr links, test folders.

# The version resource: each program's version text, as the platform's resource
# compiler would have stored it ("1, 0, 0, 1"); the application object turns it into 1.0.0.1.
set(ORVANE_VERSION_RESOURCE
    "${PROJECT_VERSION_MAJOR}, ${PROJECT_VERSION_MINOR}, ${PROJECT_VERSION_PATCH}, ${PROJECT_VERSION_TWEAK}")
configure_file(${CMAKE_SOURCE_DIR}/cmake/version.h.in ${CMAKE_BINARY_DIR}/generated/orvane_version.h @ONLY)

# orvane_saver(<target> SCR <name> SOURCES <files...> LIBS <libs...>)
# Builds a screensaver program into build/bin and links build/savers/<name>.scr to it;
# installs the program and the link into the system folder.
function(orvane_saver target)
  cmake_parse_arguments(S "" "SCR" "SOURCES;LIBS" ${ARGN})
  add_executable(${target} ${S_SOURCES})
  target_link_libraries(${target} PRIVATE ${S_LIBS})
  if(S_SCR)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E create_symlink ../bin/${target} "${ORVANE_SAVERS_DIR}/${S_SCR}.scr"
      VERBATIM)
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(CODE "
      file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${ORVANE_INSTALL_SAVERS}\")
      file(CREATE_LINK \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${target}\"
           \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${ORVANE_INSTALL_SAVERS}/${S_SCR}.scr\" SYMBOLIC)")
  endif()
endfunction()

# orvane_test_folder(<name> LIBS <libs...> [DISPLAY])
# One test program per folder of tests/: every *_test.cpp in tests/<name>.
# DISPLAY tests run under a private Xvfb started by scripts/with-xvfb.
function(orvane_test_folder name)
  cmake_parse_arguments(T "DISPLAY" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*_test.cpp)
  if(NOT sources)
    return()
  endif()
  string(REPLACE "/" "_" exe "${name}_tests")
  add_executable(${exe} ${sources})
  target_link_libraries(${exe} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${exe} PRIVATE
    ORVANE_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/${name}/data"
    ORVANE_BIN_DIR="${CMAKE_BINARY_DIR}/bin"
    ORVANE_SAVERS_DIR="${ORVANE_SAVERS_DIR}"
    ORVANE_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  set_target_properties(${exe} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  if(T_DISPLAY)
    add_test(NAME ${exe} COMMAND ${CMAKE_SOURCE_DIR}/scripts/with-xvfb $<TARGET_FILE:${exe}>)
    set_tests_properties(${exe} PROPERTIES TIMEOUT 600)
  else()
    gtest_discover_tests(${exe} DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES PROPERTIES TIMEOUT 300)
  endif()
endfunction()
