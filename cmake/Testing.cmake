# GoogleTest for both builds: Debian's libgtest-dev natively, its sources
# (googletest package) compiled with the cross compiler for Windows.
if(ORISCOPE_TESTS)
enable_testing()
include(GoogleTest)
if(CMAKE_CROSSCOMPILING)
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/_deps/googletest EXCLUDE_FROM_ALL)
    add_library(oriscope_gtest INTERFACE)
    target_link_libraries(oriscope_gtest INTERFACE gmock gtest)
    add_library(oriscope_gtest_main INTERFACE)
    target_link_libraries(oriscope_gtest_main INTERFACE gtest_main gmock gtest)
else()
    find_package(GTest REQUIRED)
    add_library(oriscope_gtest INTERFACE)
    target_link_libraries(oriscope_gtest INTERFACE GTest::gmock GTest::gtest)
    add_library(oriscope_gtest_main INTERFACE)
    target_link_libraries(oriscope_gtest_main INTERFACE GTest::gtest_main GTest::gmock GTest::gtest)
endif()
endif()

if(ORISCOPE_BENCHMARKS)
    find_package(benchmark REQUIRED)
endif()

# oriscope_add_test(<name> SOURCES <files...> [LIBS <targets...>] [NO_MAIN]
#                   [TIMEOUT <seconds>])
# One GoogleTest executable; its tests are discovered at test time, under Wine
# when cross-compiling, and each runs as a ctest test of its own.
function(oriscope_add_test name)
    if(NOT ORISCOPE_TESTS)
        return()
    endif()
    cmake_parse_arguments(ARG "NO_MAIN" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    add_executable(${name} ${ARG_SOURCES})
    if(ARG_NO_MAIN)
        target_link_libraries(${name} PRIVATE ${ARG_LIBS} oriscope_gtest)
    else()
        target_link_libraries(${name} PRIVATE ${ARG_LIBS} oriscope_gtest_main)
    endif()
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 120
        PROPERTIES TIMEOUT ${ARG_TIMEOUT})
endfunction()

# oriscope_add_benchmark(<name> SOURCES <files...> [LIBS <targets...>])
# A Google Benchmark executable, built only with ORISCOPE_BENCHMARKS (the bench preset).
function(oriscope_add_benchmark name)
    if(NOT ORISCOPE_BENCHMARKS)
        return()
    endif()
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark_main)
endfunction()
