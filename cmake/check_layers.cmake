# Fails when a folder includes a header of a folder above it. The library's
# layers, lowest first: mempool; textutil; lexicon and bigram (side by side,
# neither includes the other); address and segment (side by side, likewise);
# filter; host. Public headers (include/vantir/) count with the folder that
# implements them and include only each other.
# Above the whole library lies the tooling in three parts, lowest first:
# tools/compile (compiling data), tools/run (running data), tools/cli (the
# `vantir` command line). A part may include any library header, internal ones
# too, and the parts below it; nothing in the library includes tools/. The
# Python module and the benchmarks use the tooling but not the command line.
# Run as: cmake -DSOURCE_DIR=<tree> -P check_layers.cmake
if(NOT SOURCE_DIR)
  message(FATAL_ERROR "check_layers: pass -DSOURCE_DIR=<source tree>")
endif()

set(library_folders mempool textutil lexicon bigram address segment filter host)
set(tools_parts compile run cli)
set(rank_mempool 0)
set(rank_textutil 1)
set(rank_lexicon 2)
set(rank_bigram 2)
set(rank_address 3)
set(rank_segment 3)
set(rank_filter 4)
set(rank_host 5)
set(rank_tools/compile 6)
set(rank_tools/run 7)
set(rank_tools/cli 8)
set(public_rank_types.h 0)
set(public_rank_blob_format.h 0)
set(public_rank_mempool.h 0)
set(public_rank_textutil.h 1)
set(public_rank_lexicon.h 2)
set(public_rank_bigram.h 2)
set(public_rank_vantir.h 4)
set(public_rank_host.h 5)
# The C++ layer opens data sets through the host calls too.
set(public_rank_vantir.hpp 5)

# The quoted includes of a file, as the paths written in them.
function(quoted_includes file out)
  file(STRINGS ${SOURCE_DIR}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  set(targets "")
  foreach(line ${lines})
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" target "${line}")
    list(APPEND targets "${target}")
  endforeach()
  set(${out} "${targets}" PARENT_SCOPE)
endfunction()

# The layer an include path names: a library folder, "tools/<part>", or
# "tools" for a header of tools/ that lies in no part.
function(layer_of target out)
  if(target MATCHES "^tools/([^/]+)/")
    set(${out} "tools/${CMAKE_MATCH_1}" PARENT_SCOPE)
  else()
    string(REGEX MATCH "^[^/]+" top "${target}")
    set(${out} "${top}" PARENT_SCOPE)
  endif()
endfunction()

set(violations "")
set(layers ${library_folders})
foreach(part ${tools_parts})
  list(APPEND layers tools/${part})
endforeach()
foreach(layer ${layers})
  file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${layer}/*.h
       ${SOURCE_DIR}/${layer}/*.cpp)
  set(in_library TRUE)
  if(layer MATCHES "^tools/")
    set(in_library FALSE)
  endif()
  foreach(file ${files})
    quoted_includes(${file} targets)
    foreach(target ${targets})
      layer_of("${target}" top)
      if(top STREQUAL layer)
        continue()
      endif()
      # A layer may use its own public header; another layer's headers only
      # when that layer lies strictly below.
      if(top STREQUAL "vantir")
        string(REGEX REPLACE "^vantir/" "" header "${target}")
        set(target_rank "${public_rank_${header}}")
        set(limit ${rank_${layer}})
      else()
        set(target_rank "${rank_${top}}")
        math(EXPR limit "${rank_${layer}} - 1")
      endif()
      if(in_library AND target MATCHES "^tools/")
        list(APPEND violations "${file} includes ${target}, but the library includes nothing of tools/")
      elseif(target_rank STREQUAL "" AND in_library)
        list(APPEND violations "${file} includes ${target}, which is outside the library")
      elseif(target_rank STREQUAL "")
        list(APPEND violations
             "${file} includes ${target}, which is neither the library nor a part of tools/")
      elseif(target_rank GREATER ${limit})
        list(APPEND violations "${file} includes ${target}, which is not below ${layer}")
      endif()
    endforeach()
  endforeach()
endforeach()

# Every tooling file belongs to one part.
file(GLOB stray RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/tools/*.h ${SOURCE_DIR}/tools/*.cpp)
foreach(file ${stray})
  list(APPEND violations "${file} lies in no part of tools/ (compile, run or cli)")
endforeach()

file(GLOB public_headers RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/include/vantir/*)
foreach(file ${public_headers})
  quoted_includes(${file} targets)
  foreach(target ${targets})
    if(NOT target MATCHES "^vantir/")
      list(APPEND violations "${file} includes ${target}, but public headers include only vantir/")
    endif()
  endforeach()
endforeach()

# The Python module and the benchmarks link the tooling without the command line.
foreach(user python bench)
  file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${user}/*.h
       ${SOURCE_DIR}/${user}/*.cpp)
  foreach(file ${files})
    quoted_includes(${file} targets)
    foreach(target ${targets})
      if(target MATCHES "^tools/cli/")
        list(APPEND violations "${file} includes ${target}, but ${user}/ does not use the command line")
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations)
  list(JOIN violations "\n  " text)
  message(FATAL_ERROR "Includes against the layering:\n  ${text}")
endif()
message(STATUS "Layers read top-down: no include reaches upward")
