# orla_library(<name> SOURCES ... [DEPS ...])
# One static library per source folder; its headers are reached as "<folder>/<file>.h".
function(orla_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/generated)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# orla_test(<name> SOURCES ... DEPS ... [THREADED] [OWN_MAIN])
# One test program per tested folder, run by CTest as a whole. THREADED marks the
# programs whose tests run real threads; the ThreadSanitizer build runs only those.
# OWN_MAIN leaves out the shared main and its QApplication, for a test that
# starts the toolkit itself.
# The offscreen desktop has three screens side by side (tests/support/screens.json):
# 1920x1200, then 1366x768, then 1024x768.
function(orla_test name)
    cmake_parse_arguments(ARG "THREADED;OWN_MAIN" "" "SOURCES;DEPS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    if(ARG_OWN_MAIN)
        target_link_libraries(${name} PRIVATE GTest::gtest ${ARG_DEPS})
    else()
        target_link_libraries(${name} PRIVATE orla_test_main ${ARG_DEPS})
    endif()
    set(labels unit)
    if(ARG_THREADED)
        list(APPEND labels threaded)
    endif()
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        LABELS "${labels}"
        TIMEOUT 300
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen:configfile=${PROJECT_SOURCE_DIR}/tests/support/screens.json;TZ=Europe/Berlin;ORLA_DATA_DIR=${ORLA_RUNTIME_DIR};LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp;TSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/tsan.supp")
endfunction()
