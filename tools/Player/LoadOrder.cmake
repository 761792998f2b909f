# Most of Player's start-up is the dynamic loader binding libmpv's couple of
# hundred libraries, most of them marked to be bound at once. Every symbol
# lookup walks the global scope in load order until a library defines it, and
# that order is the executable's own dependency list followed by its
# dependencies' lists, breadth first. Naming the libraries that receive the
# most bindings first, as direct dependencies of Player, shortens those walks
# (about a third of the loader's time here).
#
# The order only changes which library is searched first, never which
# libraries are loaded: a name is used only if it is already part of what
# Player links (found in the dependency closure of its link libraries) and it
# lives where the loader looks by itself. tst_player_load_order checks that
# every symbol binds to the same definition as in a build without the order.
#
# load-order.txt is made by measure-load-order.py; a stale list costs speed,
# not correctness.
option(VANTOREL_PLAYER_LOAD_ORDER "Name Player's most looked-up libraries first" ON)

# The sonames in the dependency closure of the given libraries.
function(_vantorel_dependency_sonames out)
  set(_sonames "")
  foreach(_lib IN LISTS ARGN)
    if(NOT EXISTS "${_lib}")
      continue()
    endif()
    execute_process(COMMAND ldd "${_lib}" OUTPUT_VARIABLE _ldd RESULT_VARIABLE _rc ERROR_QUIET)
    if(NOT _rc EQUAL 0)
      continue()
    endif()
    get_filename_component(_own "${_lib}" REALPATH)
    string(REGEX MATCHALL "[^ \t\n]+ => /[^ \t\n]+" _pairs "${_ldd}")
    foreach(_pair IN LISTS _pairs)
      string(REGEX REPLACE " => .*" "" _soname "${_pair}")
      list(APPEND _sonames "${_soname}")
    endforeach()
    execute_process(COMMAND objdump -p "${_own}" OUTPUT_VARIABLE _dump ERROR_QUIET)
    if(_dump MATCHES "SONAME +([^ \t\n]+)")
      list(APPEND _sonames "${CMAKE_MATCH_1}")
    endif()
  endforeach()
  list(REMOVE_DUPLICATES _sonames)
  set(${out} "${_sonames}" PARENT_SCOPE)
endfunction()

# vantorel_player_load_order(TARGET LIBRARY...): put the listed libraries of
# LIBRARY's closure first in TARGET's dependency list.
function(vantorel_player_load_order target)
  if(NOT VANTOREL_PLAYER_LOAD_ORDER)
    return()
  endif()
  _vantorel_dependency_sonames(_closure ${ARGN})
  file(STRINGS "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/load-order.txt" _wanted REGEX "^[^#]")
  set(_paths "")
  foreach(_soname IN LISTS _wanted)
    string(STRIP "${_soname}" _soname)
    if(NOT _soname IN_LIST _closure)
      continue()
    endif()
    find_library(_path NAMES "${_soname}" NO_CACHE)
    if(_path)
      list(APPEND _paths "${_path}")
    endif()
    unset(_path)
  endforeach()
  list(LENGTH _paths _count)
  if(_count EQUAL 0)
    message(STATUS "Player: no library load order (none of the listed libraries found)")
    return()
  endif()
  message(STATUS "Player: ${_count} libraries named first in load order")
  list(TRANSFORM _paths PREPEND "LINKER:")
  target_link_options(${target} PRIVATE
    "LINKER:--push-state,--no-as-needed" ${_paths} "LINKER:--pop-state")
endfunction()
