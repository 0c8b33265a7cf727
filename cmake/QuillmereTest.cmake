# quillmere_add_test(<name> SOURCES <files...> LIBRARIES <targets...> [LABELS <labels...>])
#
# Builds one GoogleTest executable from the given sources, links it against the product libraries
# (never recompiling product sources) and lets CTest discover its cases. Every case runs on the
# offscreen Qt platform with a private XDG_CONFIG_HOME, so no test can touch the settings of the
# person running the suite, and under a timeout, so a copy that hangs on a pipe fails instead of
# stalling the run. LABELS go on every discovered case, so `ctest -L` can pick a suite.
if(CMAKE_CROSSCOMPILING)
    # No GoogleTest is packaged for the target system: build it from the sources Debian ships.
    set(QUILLMERE_GTEST_SOURCE /usr/src/googletest/googletest CACHE PATH "GoogleTest sources for the cross build")
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(${QUILLMERE_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    # Its own warnings are not ours to fix, and must not stop a build with warnings as errors.
    target_compile_options(gtest PRIVATE -w)
    target_compile_options(gtest_main PRIVATE -w)
else()
    find_package(GTest REQUIRED)
endif()
include(GoogleTest)

# In a sanitized build the first finding ends the test program with a failure (the undefined
# behaviour and thread sanitizers would otherwise report and go on); the fault suite's child
# inherits the settings. Leaks are found too: the address sanitizer looks for them at exit. Qt is
# not built with the thread sanitizer, which cannot see how Qt's own threads synchronise: only
# accesses made by our code are judged.
set(QUILLMERE_SANITIZER_ENVIRONMENT "")
if(QUILLMERE_SANITIZE)
    set(QUILLMERE_SANITIZER_ENVIRONMENT
        "ASAN_OPTIONS=halt_on_error=1:abort_on_error=0:detect_stack_use_after_return=1:strict_string_checks=1"
        "UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1"
        "TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1")
endif()

function(quillmere_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES})
    set(config_home "${CMAKE_CURRENT_BINARY_DIR}/${name}-config-home")
    file(MAKE_DIRECTORY "${config_home}")
    if(CMAKE_CROSSCOMPILING)
        # Each start under the emulator (Wine) costs about a second, so the whole program runs as
        # one test rather than one start per case; its output names every failing case.
        add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
        set_tests_properties(${name} PROPERTIES TIMEOUT 600)
        return()
    endif()
    # The environment comes through env(1) as the cases' launcher: gtest_discover_tests of
    # CMake 3.25 passes a property's value as a flat list of words, so an ENVIRONMENT of several
    # variables would keep only the first (and the suites would read and write the settings of
    # the person running them).
    set_property(TARGET ${name} PROPERTY CROSSCOMPILING_EMULATOR
        env "QT_QPA_PLATFORM=offscreen" "XDG_CONFIG_HOME=${config_home}" ${QUILLMERE_SANITIZER_ENVIRONMENT})
    gtest_discover_tests(${name}
        DISCOVERY_TIMEOUT 60
        NO_PRETTY_VALUES
        PROPERTIES
            TIMEOUT 120
            LABELS "${ARG_LABELS}")
endfunction()
