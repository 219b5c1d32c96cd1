# Checks that every #include of src/ and host/ keeps to the layers the design allows, and
# names each one that does not (file:line). Run as the CTest test "layers":
#   cmake -DSOURCE_DIR=<tree> -P check_layers.cmake
# Every subsystem compiles with the one include root src/, so this is what stops a lower
# layer from reaching up or the host from reaching into the sale subsystems.

cmake_minimum_required(VERSION 3.24)

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "check_layers: pass -DSOURCE_DIR=<source tree>")
endif()

# The layers of src/, bottom to top, one line a level. A folder may include its own headers
# and those of every level below it; folders on one level may include each other's public
# headers (order, settlement and consumer do, through their handlers' headers), and are named
# on one line, separated by spaces. A new layer is one line here. A folder's private headers
# (*_p.h) are its own: no other folder includes them, whatever its level.
set(levels
  "runtime"
  "outside"
  "server"
  "sale"
  "screen order settlement consumer"
)

# The sale roads reach the screen only through the sale core's interface (sale/saleshell.h),
# which the screen implements, so the screen can change without touching them.
set(screen_clients order settlement consumer)

# What the host may include: runtime and outside whole, and from the layers above only the
# package's public headers: the entry, the server layer's data module and schema (the demo
# site creates its base with them), what the sale screen expects of the till's local files
# (the parameter file's columns, the cipher key of the enciphered values), and the server
# layer's consumer posting, which the sale's save runs inside its own transaction, and its
# sale cancellation, which a closed coupon's status change runs to give back what it took, and
# the consumer functions the consumer record form and the demo's balance servers answer with,
# and the credit loads the functions menu lists and cancels.
set(host_layers runtime outside)
set(host_public_headers
  screen/vendacons.h
  server/schema.h
  server/trdmvendacons.h
  server/srv_consumers_posting.h
  server/srv_consumers.h
  server/srv_consumers_credit.h
  server/srv_salecancel.h
  sale/tillfiles.h
)

# allowed_<folder>: the folders it may include; known: every folder of src/ plus host.
set(below "")
set(known host)
foreach(level IN LISTS levels)
  separate_arguments(folders UNIX_COMMAND "${level}")
  list(APPEND below ${folders})
  list(APPEND known ${folders})
  foreach(folder IN LISTS folders)
    set(allowed_${folder} ${below})
  endforeach()
endforeach()

# The folder of src/ (or host) an include names, or empty for a header outside our layers
# (Qt, the C++ library, the system). A quoted include that names a file beside the including
# one is that file, as the compiler looks there first.
function(included_folder file path quoted out)
  set(folder "")
  if(path MATCHES "^([A-Za-z_]+)/")
    set(folder ${CMAKE_MATCH_1})
  endif()
  get_filename_component(dir "${file}" DIRECTORY)
  get_filename_component(target "${dir}/${path}" ABSOLUTE)
  if(quoted AND EXISTS "${target}")
    file(RELATIVE_PATH relative "${SOURCE_DIR}" "${target}")
    if(relative MATCHES "^src/([A-Za-z_]+)/")
      set(folder ${CMAKE_MATCH_1})
    elseif(relative MATCHES "^host/")
      set(folder host)
    endif()
  endif()
  if(NOT folder IN_LIST known)
    set(folder "")
  endif()
  set(${out} "${folder}" PARENT_SCOPE)
endfunction()

set(violations "")
file(GLOB_RECURSE sources LIST_DIRECTORIES false
  "${SOURCE_DIR}/src/*.h" "${SOURCE_DIR}/src/*.cpp"
  "${SOURCE_DIR}/host/*.h" "${SOURCE_DIR}/host/*.cpp")
list(SORT sources)
foreach(file IN LISTS sources)
  file(RELATIVE_PATH name "${SOURCE_DIR}" "${file}")
  if(name MATCHES "^src/([A-Za-z_]+)/")
    set(from ${CMAKE_MATCH_1})
    if(NOT from IN_LIST known)
      list(APPEND violations "${name}: folder ${from}/ is no layer (add it to the levels of tests/layers/check_layers.cmake)")
      continue()
    endif()
  elseif(name MATCHES "^host/")
    set(from host)
  else()
    continue() # src/package.cpp, src/vendacons_export.h: the package itself
  endif()

  file(STRINGS "${file}" lines)
  set(number 0)
  foreach(line IN LISTS lines)
    math(EXPR number "${number} + 1")
    if(NOT line MATCHES "^[ \t]*#[ \t]*include[ \t]*([<\"])([^>\"]+)[>\"]")
      continue()
    endif()
    set(quoted OFF)
    if(CMAKE_MATCH_1 STREQUAL "\"")
      set(quoted ON)
    endif()
    set(path "${CMAKE_MATCH_2}")
    included_folder("${file}" "${path}" ${quoted} to)
    if(to STREQUAL "" OR to STREQUAL from)
      continue()
    endif()
    if(from STREQUAL "host")
      if(to IN_LIST host_layers OR path IN_LIST host_public_headers)
        continue()
      endif()
      list(APPEND violations "${name}:${number}: the host may not include <${path}> (runtime, outside and the package's public headers only)")
    elseif(NOT to IN_LIST allowed_${from})
      list(APPEND violations "${name}:${number}: ${from} may not include <${path}> (a layer above it)")
    elseif(to STREQUAL "screen" AND from IN_LIST screen_clients)
      list(APPEND violations "${name}:${number}: ${from} may not include <${path}> (a screen header: the roads reach the screen through sale/saleshell.h)")
    elseif(path MATCHES "_p\\.h$")
      list(APPEND violations "${name}:${number}: ${from} may not include <${path}> (a private header of ${to}/)")
    endif()
  endforeach()
endforeach()

if(violations)
  list(LENGTH violations count)
  list(JOIN violations "\n" text)
  message("${text}")
  message(FATAL_ERROR "layers: ${count} place(s) break the layering")
endif()
message(STATUS "layers: every include keeps to its layer")
