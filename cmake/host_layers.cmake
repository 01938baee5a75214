# Checks that every include of the stand-in host points down its layers, by the rules of
# the map in host/README.md: there, each folder's line "    <folder>: <folders>" names the
# folders whose headers its files may include besides its own ("any" for all of them,
# "nothing" for none). Fails, naming each file, line and include, when a file of a folder
# includes a header of a folder its line does not name, includes a header by a path out
# of its folder ("../"), or lies in a folder the map has no line for.
#
#   cmake -DHOST_DIR=<host folder> -DMAP=<README with the rules> -P host_layers.cmake
cmake_minimum_required(VERSION 3.25)

if(NOT HOST_DIR OR NOT MAP)
  message(FATAL_ERROR "usage: cmake -DHOST_DIR=<folder> -DMAP=<README.md> -P host_layers.cmake")
endif()

# The rules: the indented "<folder>: <words>" lines of the map's block of include rules,
# which follows the line that names this check and ends at the next line that is not
# indented or blank.
file(STRINGS ${MAP} map_lines)
set(in_block FALSE)
set(folders)
foreach(line IN LISTS map_lines)
  if(line MATCHES "host_layers")
    set(in_block TRUE)
    continue()
  endif()
  if(NOT in_block)
    continue()
  endif()
  if(line MATCHES "^    ([a-z_]+):[ ]+(.*)$")
    set(folder ${CMAKE_MATCH_1})
    string(REPLACE " " ";" words "${CMAKE_MATCH_2}")
    list(APPEND folders ${folder})
    set(may_include_${folder} ${words})
  elseif(NOT line STREQUAL "" AND NOT line MATCHES "^    " AND folders)
    break()
  endif()
endforeach()
if(NOT folders)
  message(FATAL_ERROR "${MAP}: no include rules found (lines \"    <folder>: <folders>\" after the line naming host_layers)")
endif()

set(faults)
file(GLOB_RECURSE sources RELATIVE ${HOST_DIR} ${HOST_DIR}/*.cpp ${HOST_DIR}/*.h ${HOST_DIR}/*.inc
     ${HOST_DIR}/*.in)
list(SORT sources)
foreach(source IN LISTS sources)
  string(REGEX MATCH "^[^/]+" folder ${source})
  if(source STREQUAL folder)
    list(APPEND faults "host/${source}: a source outside the folders of the map")
    continue()
  endif()
  if(NOT folder IN_LIST folders)
    list(APPEND faults "host/${source}: folder ${folder}/ has no line in the map")
    continue()
  endif()
  set(allowed ${may_include_${folder}})
  # One list item per line of the file. file(STRINGS) would split a line at a byte past
  # ASCII, and a CMake list joins the lines between an unmatched "[" and the next "]", or
  # after a backslash: those characters are taken out first, none being in a header's
  # name.
  file(READ ${HOST_DIR}/${source} text)
  foreach(joining "[" "]" ";" "\\")
    string(REPLACE "${joining}" "" text "${text}")
  endforeach()
  string(REPLACE "\n" ";" lines "${text}")
  set(number 0)
  foreach(line IN LISTS lines)
    math(EXPR number "${number} + 1")
    if(NOT line MATCHES "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]+)[\">]")
      continue()
    endif()
    set(header ${CMAKE_MATCH_1})
    if(header MATCHES "(^|/)\\.\\./")
      list(APPEND faults "host/${source}:${number}: includes ${header} by a path out of its folder")
    elseif(header MATCHES "^host/([^/]+)/")
      set(target ${CMAKE_MATCH_1})
      if(NOT target STREQUAL folder AND NOT "any" IN_LIST allowed AND NOT target IN_LIST allowed)
        string(REPLACE ";" " " allowed_text "${allowed}")
        list(APPEND faults
             "host/${source}:${number}: includes ${header}, but ${folder}/ may include ${allowed_text}")
      endif()
    endif()
  endforeach()
endforeach()

if(faults)
  foreach(fault IN LISTS faults)
    message(NOTICE "${fault}")
  endforeach()
  list(LENGTH faults count)
  message(FATAL_ERROR "${count} include(s) against the host's layers (rules: ${MAP})")
endif()
list(LENGTH sources count)
message(STATUS "host layers: ${count} files, every include points down")
