# quillmere_add_test(<name> SOURCES <files...> LIBRARIES <targets...> [LABELS <labels...>])
#
# Builds one GoogleTest executable from the given sources, links it against the product libraries
# (never recompiling product sources) and lets CTest discover its cases. Every case runs on the
# offscreen Qt platform with a private XDG_CONFIG_HOME, so no test can touch the settings of the
# person running the suite, and under a timeout, so a copy that hangs on a pipe fails instead of
# stalling the run. LABELS go on every discovered case, so `ctest -L` can pick a suite.
find_package(GTest REQUIRED)
include(GoogleTest)

function(quillmere_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES})
    set(config_home "${CMAKE_CURRENT_BINARY_DIR}/${name}-config-home")
    file(MAKE_DIRECTORY "${config_home}")
    gtest_discover_tests(${name}
        DISCOVERY_TIMEOUT 60
        NO_PRETTY_VALUES
        PROPERTIES
            TIMEOUT 120
            LABELS "${ARG_LABELS}"
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${config_home}")
endfunction()
