# Fails when a source of the core library includes anything beyond Qt Core,
# Qt SerialPort, the standard library and other core sources: the Qt root
# include folder is visible to every target, so <QtWidgets/QWidget> would
# otherwise compile in a core unit.
#
# cmake -DSOURCE_LIST=file -DSOURCE_ROOT=src -DQT_CORE_DIR=... -DQT_SERIAL_DIR=... -P this
# SOURCE_LIST names the core sources, one absolute path a line.
cmake_minimum_required(VERSION 3.25)

file(STRINGS "${SOURCE_LIST}" SOURCES)

set(failures "")
foreach(source IN LISTS SOURCES)
    if(NOT source MATCHES "\\.(h|cpp)$" OR NOT EXISTS "${source}")
        continue()
    endif()
    file(STRINGS "${source}" lines REGEX "^[ \t]*#[ \t]*include")
    foreach(line IN LISTS lines)
        if(line MATCHES "<(Qt[A-Za-z]+)/([^>]+)>")
            if(NOT CMAKE_MATCH_1 STREQUAL "QtCore" AND NOT CMAKE_MATCH_1 STREQUAL "QtSerialPort")
                list(APPEND failures "${source}: ${line}")
            endif()
        elseif(line MATCHES "<(Q[A-Za-z]+)>")
            set(header "${CMAKE_MATCH_1}")
            if(NOT EXISTS "${QT_CORE_DIR}/${header}" AND NOT EXISTS "${QT_SERIAL_DIR}/${header}")
                list(APPEND failures "${source}: ${line}")
            endif()
        elseif(line MATCHES "\"([^\"]+)\"")
            set(header "${SOURCE_ROOT}/${CMAKE_MATCH_1}")
            get_filename_component(dir "${source}" DIRECTORY)
            if(NOT EXISTS "${header}")
                set(header "${dir}/${CMAKE_MATCH_1}")
            endif()
            if(EXISTS "${header}")
                file(REAL_PATH "${header}" header)
                if(NOT header IN_LIST SOURCES)
                    list(APPEND failures "${source}: ${line} (not a core source)")
                endif()
            endif()
        endif()
    endforeach()
endforeach()

if(failures)
    list(JOIN failures "\n  " text)
    message(FATAL_ERROR "Core sources include GUI or non-core headers:\n  ${text}")
endif()
list(LENGTH SOURCES count)
message(STATUS "core includes: ${count} sources checked")
