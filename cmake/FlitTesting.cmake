include(GoogleTest)
find_package(GTest REQUIRED)

# flit_add_test(<name> SOURCES <files...> [LIBS <targets...>] [LABELS <labels...>]
#               [ENVIRONMENT <VAR=value...>] [SERIAL <cases...>] [FIXTURES <fixtures...>]
#               [GUI] [HOST])
#
# Builds one test executable and registers its cases with CTest. A test links the engine's
# objects (flitengine_internal), so it reaches internal classes as well as the public ones; a
# HOST test links the shared library as a host does (the reader's tests, whose library links it). Every test binary links the
# shared test main from tests/support, which installs a throwing assert handler and a stderr
# logger before any test runs. GUI tests need a display, so their cases are discovered when
# CTest runs rather than at build time. Cases named in SERIAL run with no other test beside them:
# they steer the pointer and keyboard of the display every GUI test shares, and another test's
# window appearing under the pointer would take their keys. FIXTURES names the CTest fixtures
# (a sound server, say) that every case needs running.
function(flit_add_test name)
    cmake_parse_arguments(ARG "GUI;HOST" "" "SOURCES;LIBS;LABELS;ENVIRONMENT;SERIAL;FIXTURES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    if(ARG_GUI)
        target_link_libraries(${name} PRIVATE flit_test_main_gui)
        set(mode PRE_TEST)
        list(APPEND ARG_LABELS gui)
    else()
        target_link_libraries(${name} PRIVATE flit_test_main)
        set(mode POST_BUILD)
    endif()
    if(ARG_HOST)
        set(engine FlitEngine::flitengine)
    else()
        set(engine flitengine_internal)
    endif()
    # The engine last: the static support libraries before it use its symbols.
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest ${engine})
    flit_set_warnings(${name})
    gtest_discover_tests(${name}
        DISCOVERY_MODE ${mode}
        DISCOVERY_TIMEOUT 60)
    # gtest_discover_tests flattens its PROPERTIES into one list, so a value that is itself a
    # list (two labels) falls apart and an empty one shifts every later property by one. The
    # properties are set instead by a script of our own, which CTest runs after the discovery
    # script, on the list of the tests that discovery found.
    set(properties "LABELS [==[${ARG_LABELS}]==] TIMEOUT 300")
    if(ARG_ENVIRONMENT)
        string(APPEND properties " ENVIRONMENT [==[${ARG_ENVIRONMENT}]==]")
    endif()
    if(ARG_FIXTURES)
        string(APPEND properties " FIXTURES_REQUIRED [==[${ARG_FIXTURES}]==]")
    endif()
    set(script "${CMAKE_CURRENT_BINARY_DIR}/${name}_properties.cmake")
    file(WRITE "${script}"
        "if(${name}_TESTS)\n"
        "    set_tests_properties(\${${name}_TESTS} PROPERTIES ${properties})\n"
        "endif()\n")
    foreach(case IN LISTS ARG_SERIAL)
        file(APPEND "${script}"
            "list(FIND ${name}_TESTS \"${case}\" at)\n"
            "if(at GREATER -1)\n"
            "    set_tests_properties(${case} PROPERTIES RUN_SERIAL TRUE)\n"
            "endif()\n")
    endforeach()
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${script}")
endfunction()
