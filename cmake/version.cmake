# The one version of the programs, worked out once when the build is configured:
#  - on a commit tagged vMAJOR.MINOR.PATCH: MAJOR.MINOR.PATCH;
#  - N commits after such a tag: MAJOR.MINOR.PATCH-N-gHASH (as git describe --long gives it);
#    other tags (v1.2.0-rc1, nightly) are passed over;
#  - in a history without such a tag: the VERSION file's MAJOR.MINOR.PATCH stands in for the
#    tag, and N counts every commit;
#  - without git (a source tarball): the VERSION file holds the whole version.
# Sets, in the caller's scope:
#   QX7_VERSION            the version text
#   QX7_VERSION_NUMBERS    MAJOR,MINOR,PATCH,N for the four words of a Windows FILEVERSION
#   QX7_SOURCE_DATE_EPOCH  the commit's time (without git: SOURCE_DATE_EPOCH, else the VERSION
#                          file's time), the only time a release may carry
# and writes qx7_version.h (for the resource script) and release.env (for scripts/release.sh)
# into the build folder. Also usable as a script: cmake -DSOURCE_DIR=DIR -P version.cmake
# prints the version.

function(qx7_read_version source_dir)
    set(version_file "${source_dir}/VERSION")
    set(base "")
    if(EXISTS "${version_file}")
        file(STRINGS "${version_file}" base LIMIT_COUNT 1)
        string(STRIP "${base}" base)
    endif()

    set(version "")
    set(epoch "")
    find_program(QX7_GIT git)
    if(QX7_GIT AND EXISTS "${source_dir}/.git")
        execute_process(
            COMMAND ${QX7_GIT} describe --tags --long --abbrev=7 --match "v[0-9]*.[0-9]*.[0-9]*"
                    --exclude "v*[!0-9.]*"
            WORKING_DIRECTORY "${source_dir}"
            RESULT_VARIABLE described OUTPUT_VARIABLE description ERROR_QUIET
            OUTPUT_STRIP_TRAILING_WHITESPACE)
        execute_process(COMMAND ${QX7_GIT} log -1 --format=%ct
            WORKING_DIRECTORY "${source_dir}"
            RESULT_VARIABLE logged OUTPUT_VARIABLE epoch ERROR_QUIET
            OUTPUT_STRIP_TRAILING_WHITESPACE)
        if(NOT logged EQUAL 0)
            set(epoch "")
        endif()
        if(described EQUAL 0 AND description MATCHES "^v([0-9]+\\.[0-9]+\\.[0-9]+)-([0-9]+)-(g[0-9a-f]+)$")
            if(CMAKE_MATCH_2 EQUAL 0)
                set(version "${CMAKE_MATCH_1}")
            else()
                set(version "${CMAKE_MATCH_1}-${CMAKE_MATCH_2}-${CMAKE_MATCH_3}")
            endif()
        elseif(NOT epoch STREQUAL "")
            # A history without a release tag yet.
            execute_process(COMMAND ${QX7_GIT} rev-list --count HEAD
                WORKING_DIRECTORY "${source_dir}" OUTPUT_VARIABLE count
                OUTPUT_STRIP_TRAILING_WHITESPACE)
            execute_process(COMMAND ${QX7_GIT} rev-parse --short=7 HEAD
                WORKING_DIRECTORY "${source_dir}" OUTPUT_VARIABLE hash
                OUTPUT_STRIP_TRAILING_WHITESPACE)
            if(NOT base MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+$")
                message(FATAL_ERROR "No tag vMAJOR.MINOR.PATCH, and VERSION does not hold MAJOR.MINOR.PATCH")
            endif()
            set(version "${base}-${count}-g${hash}")
        endif()
    endif()

    if(version STREQUAL "")
        set(version "${base}")
        if(NOT "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
            set(epoch "$ENV{SOURCE_DATE_EPOCH}")
        elseif(EXISTS "${version_file}")
            file(TIMESTAMP "${version_file}" epoch "%s" UTC)
        endif()
    endif()
    if(NOT version MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)(-([0-9]+)-g[0-9a-f]+)?$")
        message(FATAL_ERROR "No version: neither a git history nor a VERSION file with MAJOR.MINOR.PATCH (found \"${version}\")")
    endif()
    set(count 0)
    if(CMAKE_MATCH_5)
        set(count ${CMAKE_MATCH_5})
    endif()
    # A FILEVERSION word holds 16 bits; far beyond that many commits the count stops there.
    if(count GREATER 65535)
        set(count 65535)
    endif()
    set(QX7_VERSION "${version}" PARENT_SCOPE)
    set(QX7_VERSION_NUMBERS "${CMAKE_MATCH_1},${CMAKE_MATCH_2},${CMAKE_MATCH_3},${count}" PARENT_SCOPE)
    set(QX7_SOURCE_DATE_EPOCH "${epoch}" PARENT_SCOPE)
endfunction()

# Configures again when the checked-out commit or the tags change, so the version follows.
function(qx7_watch_git source_dir)
    if(NOT QX7_GIT OR NOT EXISTS "${source_dir}/.git")
        return()
    endif()
    set(watched "")
    execute_process(COMMAND ${QX7_GIT} symbolic-ref -q HEAD
        WORKING_DIRECTORY "${source_dir}" OUTPUT_VARIABLE branch ERROR_QUIET
        OUTPUT_STRIP_TRAILING_WHITESPACE)
    foreach(ref HEAD ${branch} packed-refs refs/tags)
        execute_process(COMMAND ${QX7_GIT} rev-parse --git-path ${ref}
            WORKING_DIRECTORY "${source_dir}" OUTPUT_VARIABLE path ERROR_QUIET
            OUTPUT_STRIP_TRAILING_WHITESPACE)
        if(path AND NOT IS_ABSOLUTE "${path}")
            set(path "${source_dir}/${path}")
        endif()
        if(path AND EXISTS "${path}")
            list(APPEND watched "${path}")
        endif()
    endforeach()
    set_property(DIRECTORY "${source_dir}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${watched})
endfunction()

if(CMAKE_SCRIPT_MODE_FILE)
    qx7_read_version("${SOURCE_DIR}")
    execute_process(COMMAND ${CMAKE_COMMAND} -E echo "${QX7_VERSION}")
    return()
endif()

qx7_read_version("${CMAKE_SOURCE_DIR}")
qx7_watch_git("${CMAKE_SOURCE_DIR}")
message(STATUS "QX7 version ${QX7_VERSION}")
file(CONFIGURE OUTPUT "${CMAKE_BINARY_DIR}/qx7_version.h" CONTENT
"// Written by the build from cmake/version.cmake.
#define QX7_VERSION \"@QX7_VERSION@\"
#define QX7_VERSION_NUMBERS @QX7_VERSION_NUMBERS@
")
file(CONFIGURE OUTPUT "${CMAKE_BINARY_DIR}/release.env" CONTENT
"QX7_VERSION=@QX7_VERSION@
SOURCE_DATE_EPOCH=@QX7_SOURCE_DATE_EPOCH@
")
