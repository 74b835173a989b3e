# Fails when the layers' include rules are broken:
#  - a core source includes a Qt header or a header of the ui/ layer;
#  - a core source includes a header of a folder that comes after its own in
#    the layer order (DIRS, lowest first);
#  - an engine source includes a header of one of the folders ENGINE_FORBIDDEN.
# Run with -DROOT=<source dir> -DDIRS=<core folders, in order>
# [-DENGINE_FORBIDDEN=<folders>] -DSTAMP=<file to touch> [-DSAY_CHECKED=ON].
cmake_minimum_required(VERSION 3.25)
string(REPLACE "," ";" DIRS "${DIRS}")
string(REPLACE "," ";" ENGINE_FORBIDDEN "${ENGINE_FORBIDDEN}")
set(bad "")

# Adds to bad every include of one file that breaks its rules. own_rank is
# the place of the file's folder in DIRS, or -1 for an engine file.
function(check_file file own_rank dir)
  file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  foreach(line IN LISTS lines)
    set(folder "")
    if(line MATCHES "#[ \t]*include[ \t]*\"([A-Za-z_0-9]+)/")
      set(folder "${CMAKE_MATCH_1}")
    endif()
    if(own_rank LESS 0)
      if(folder AND folder IN_LIST ENGINE_FORBIDDEN)
        list(APPEND bad "${file}: ${line} (the engine does not use ${folder}/)")
      endif()
    elseif(line MATCHES "#[ \t]*include[ \t]*[<\"](Q[A-Za-z]|qt[a-z]*/|Qt[A-Za-z]*/|ui/|\\.\\./ui/)")
      list(APPEND bad "${file}: ${line} (the core never uses Qt or the ui/ layer)")
    elseif(folder)
      list(FIND DIRS "${folder}" rank)
      if(rank GREATER own_rank)
        list(APPEND bad "${file}: ${line} (${dir}/ comes before ${folder}/ in the layer order)")
      endif()
    endif()
  endforeach()
  set(bad "${bad}" PARENT_SCOPE)
endfunction()

foreach(dir IN LISTS DIRS)
  list(FIND DIRS "${dir}" own_rank)
  file(GLOB_RECURSE files "${ROOT}/src/${dir}/*.h" "${ROOT}/src/${dir}/*.cpp")
  foreach(f IN LISTS files)
    check_file("${f}" ${own_rank} "${dir}")
  endforeach()
endforeach()
if(ENGINE_FORBIDDEN)
  file(GLOB_RECURSE files "${ROOT}/engine/*.h" "${ROOT}/engine/*.cpp")
  foreach(f IN LISTS files)
    check_file("${f}" -1 engine)
  endforeach()
endif()

if(bad)
  list(JOIN bad "\n  " text)
  message(FATAL_ERROR "Includes against the layer order:\n  ${text}")
endif()
if(SAY_CHECKED)
  message(STATUS "Checked: every include follows the layer order")
endif()
file(TOUCH "${STAMP}")
