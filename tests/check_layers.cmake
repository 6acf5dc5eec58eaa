# Fails when a source under src/ includes a header of a folder above its own
# in the layer order, or of another folder on its own level. The order is
# written once, here and in ARCHITECTURE.md: a folder may use the folders
# listed before it and nothing listed after it.
#
#   cmake -DSOURCE_ROOT=src -P this
cmake_minimum_required(VERSION 3.25)

set(layers common link model transfer unit tuner setup files cli desktop panel app)

file(GLOB_RECURSE sources "${SOURCE_ROOT}/*.h" "${SOURCE_ROOT}/*.cpp")
set(failures "")
foreach(source IN LISTS sources)
    file(RELATIVE_PATH relative "${SOURCE_ROOT}" "${source}")
    string(REGEX MATCH "^[^/]+" folder "${relative}")
    list(FIND layers "${folder}" own)
    if(own EQUAL -1)
        list(APPEND failures "${relative}: the folder ${folder} has no place in the layer order")
        continue()
    endif()
    file(STRINGS "${source}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[a-z_]+/")
    foreach(line IN LISTS lines)
        string(REGEX MATCH "\"([a-z_]+)/" ignored "${line}")
        set(target "${CMAKE_MATCH_1}")
        if(target STREQUAL folder)
            continue()
        endif()
        list(FIND layers "${target}" used)
        if(used EQUAL -1 OR used GREATER own)
            list(APPEND failures "${relative}: ${line} (${folder} may not use ${target})")
        endif()
    endforeach()
endforeach()

if(failures)
    list(JOIN layers " < " order)
    list(JOIN failures "\n  " text)
    message(FATAL_ERROR "Includes against the layer order ${order}:\n  ${text}")
endif()
list(LENGTH sources count)
message(STATUS "layers: ${count} sources checked")
