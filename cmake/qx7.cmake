# Build helpers shared by every folder.

# The operating-system edge of a library is one file per platform, name_win32.cpp or
# name_posix.cpp; this is the one place where the build picks the platform.
if(WIN32)
    set(QX7_PLATFORM win32)
else()
    set(QX7_PLATFORM posix)
endif()

# Adds this platform's file of each named edge (name_${QX7_PLATFORM}.cpp) to target. An edge
# that only one platform needs has no file on the other, which is skipped; a name without a
# file for any platform is a mistake.
function(qx7_platform_sources target)
    foreach(name ${ARGN})
        set(file ${CMAKE_CURRENT_SOURCE_DIR}/${name}_${QX7_PLATFORM}.cpp)
        file(GLOB any ${CMAKE_CURRENT_SOURCE_DIR}/${name}_win32.cpp
                      ${CMAKE_CURRENT_SOURCE_DIR}/${name}_posix.cpp)
        if(NOT any)
            message(FATAL_ERROR "${name}: neither ${name}_win32.cpp nor ${name}_posix.cpp exists")
        endif()
        if(EXISTS ${file})
            target_sources(${target} PRIVATE ${file})
        endif()
    endforeach()
endfunction()

# Compiles through ccache where it is installed. Paths below the source folder are hashed
# relative to it, so a fresh clone in another folder finds what an earlier one compiled.
function(qx7_compiler_cache)
    find_program(QX7_CCACHE ccache)
    if(QX7_CCACHE)
        set(launcher env CCACHE_BASEDIR=${CMAKE_SOURCE_DIR} CCACHE_NOHASHDIR=true ${QX7_CCACHE})
        set(CMAKE_C_COMPILER_LAUNCHER ${launcher} PARENT_SCOPE)
        set(CMAKE_CXX_COMPILER_LAUNCHER ${launcher} PARENT_SCOPE)
    endif()
endfunction()

# The compile options every target of the project gets.
function(qx7_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# For the window program's code and its tests only: texts are written in UTF-8 and stored as
# Windows-1250 bytes, the code page of the program's ANSI windows, as the resource script is.
# Everything else (qx7ctl, the simulator, files and terminals) writes UTF-8. Only GCC
# converts: under clang (the fuzzers, which read no text) they stay UTF-8.
function(qx7_windows_1250 target)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        target_compile_options(${target} PRIVATE
            $<$<COMPILE_LANGUAGE:CXX>:-finput-charset=UTF-8 -fexec-charset=CP1250>)
    endif()
endfunction()

# A static library. PLATFORM names its operating-system edges (see qx7_platform_sources).
function(qx7_library name)
    cmake_parse_arguments(L "" "" "SOURCES;PLATFORM;LIBS" ${ARGN})
    add_library(${name} STATIC ${L_SOURCES})
    qx7_platform_sources(${name} ${L_PLATFORM})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${L_LIBS})
    qx7_warnings(${name})
    qx7_no_exceptions(${name})
endfunction()

# The program throws nothing; on Windows its code is built without exception tables, which
# keeps the unwinder out of the executable.
function(qx7_no_exceptions target)
    if(WIN32)
        target_compile_options(${target} PRIVATE -fno-exceptions)
    endif()
endfunction()

# The Wine environments the Windows tests run in: QX7_WINE_SLOTS of them for the whole ctest
# run, each with its own prefix, Xvfb display and persistent wineserver, started and ended by
# these two fixture tests. ctest hands each test one slot through the slot list written
# here (the test presets name it), so test programs run side by side without sharing a port,
# a display or a window title.
function(qx7_add_wine_fixture)
    # The Windows test presets run as many tests at once ("jobs" in CMakePresets.json).
    set(QX7_WINE_SLOTS 7 CACHE STRING "Wine environments the Windows tests run in side by side")
    # The one folder of the run's Wine environments; every test that runs under Wine names it.
    set(QX7_WINE_DIR "${CMAKE_BINARY_DIR}/wine")
    set(QX7_WINE_DIR "${QX7_WINE_DIR}" PARENT_SCOPE)
    set(env_script "${CMAKE_SOURCE_DIR}/scripts/wine-env.sh")
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        set(arch win64)
    else()
        set(arch win32)
    endif()
    set(slots "")
    math(EXPR last "${QX7_WINE_SLOTS} - 1")
    foreach(n RANGE ${last})
        list(APPEND slots "{\"id\": \"${n}\", \"slots\": 1}")
    endforeach()
    list(JOIN slots ", " slots)
    file(WRITE "${CMAKE_BINARY_DIR}/wine-slots.json"
        "{\"version\": {\"major\": 1, \"minor\": 0}, \"local\": [{\"wine\": [${slots}]}]}\n")
    add_test(NAME wine.start
        COMMAND ${env_script} start "${QX7_WINE_DIR}" ${arch} ${QX7_WINE_SLOTS})
    add_test(NAME wine.stop COMMAND ${env_script} stop "${QX7_WINE_DIR}")
    set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine TIMEOUT 180)
    set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine)
    set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_SOURCE_DIR}/scripts/wine-run.sh;${QX7_WINE_DIR}"
        CACHE STRING "" FORCE)
endfunction()

# A GoogleTest executable. Natively every test case becomes a ctest test; under Wine the
# binary is one ctest test so that Wine's start-up is paid once per binary.
# SIMULATOR (Windows only): the binary runs beside a transmitter simulator whose
# pseudo-terminal is mapped to a COM port of the Wine prefix; native tests start their own.
# SHARDS n (Windows only): the binary's cases are split into n ctest tests, name.0 .. name.n-1,
# through GoogleTest's sharding, so that a long suite runs in several Wine slots at once.
# WINDOWS_1250: the test's texts are the window program's (see qx7_windows_1250).
function(qx7_add_test name)
    cmake_parse_arguments(T "SIMULATOR;WINDOWS_1250" "SHARDS" "SOURCES;LIBS;SIMULATOR_ARGS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
    qx7_warnings(${name})
    if(T_WINDOWS_1250)
        qx7_windows_1250(${name})
    endif()
    if(WIN32)
        if(T_SIMULATOR)
            set(command ${CMAKE_SOURCE_DIR}/scripts/with-simulator.sh
                --wine "${QX7_WINE_DIR}"
                --simulator "${QX7_NATIVE_BUILD_DIR}/tools/qx7sim"
                ${T_SIMULATOR_ARGS} -- $<TARGET_FILE:${name}>)
        else()
            set(command ${name})
        endif()
        if(T_SHARDS)
            math(EXPR last "${T_SHARDS} - 1")
            foreach(shard RANGE ${last})
                add_test(NAME ${name}.${shard} COMMAND ${command})
                set_tests_properties(${name}.${shard} PROPERTIES
                    ENVIRONMENT "GTEST_TOTAL_SHARDS=${T_SHARDS};GTEST_SHARD_INDEX=${shard}"
                    FIXTURES_REQUIRED wine RESOURCE_GROUPS wine:1 COST 1000)
            endforeach()
        else()
            add_test(NAME ${name} COMMAND ${command})
            set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine RESOURCE_GROUPS wine:1)
        endif()
    else()
        gtest_discover_tests(${name} DISCOVERY_TIMEOUT 120 PROPERTIES TIMEOUT 300)
    endif()
endfunction()
