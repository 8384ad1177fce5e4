# Checks the layers of src/ (run by ctest as source_layers_test):
#  1. every library and program of src/ belongs to a layer of the table
#     below, and links no library of a higher layer;
#  2. every .cpp and .c file of src/ is built into a library or program,
#     and every library is linked, directly or through others, into a
#     program or module (of src/, tools/ or tests/): one that nothing links
#     is code nothing builds on;
#  3. a file includes headers only of its own library or of a library it
#     links, directly or through others. A header belongs to the libraries
#     that build the .cpp file of its name beside it, else to those that
#     build any file of its folder; the headers of a folder no library
#     builds from (the driver interface) include nothing and belong to none.
# Every fault is listed; the test fails when there is any.
#
# In:  PM2_SOURCE_ROOT  the repository
#      PM2_LAYER_DATA   the libraries' sources and links (written at configure time)

cmake_minimum_required(VERSION 3.25)

# The layers, lowest first: a library's layer is that of the first pattern
# its name matches. Libraries of one layer may link each other.
set(layers
  "platform=^pm2_platform$"
  "project=^pm2_project$"
  "builder=^pm2_builder$"
  "browser=^pm2_browser$"
  "toolkit=^pm2_toolkit_"
  "project and browser windows=^pm2_(project_dialogs|browser_ui)$"
  "editor=^pm2_editor_"
  "options=^pm2_options_"
  "ipc=^pm2_ipc$"
  "application=^pm2_shell_(cli|app)$"
  "debugger=^(pm2_debugger_|GdbDrv$|TestDrv$)"
  "shell windows=^pm2_shell_"
  "program=^pelmora2")

include(${PM2_LAYER_DATA})
set(src ${PM2_SOURCE_ROOT}/src)
set(faults "")

# ---- 1. layers of the libraries and their links
foreach(t IN LISTS PM2_LAYER_TARGETS)
  set(index 0)
  set(LAYER_${t} "")
  foreach(row IN LISTS layers)
    string(REPLACE "=" ";" row "${row}")
    list(GET row 0 name)
    list(GET row 1 pattern)
    if(t MATCHES "${pattern}")
      set(LAYER_${t} ${index})
      set(LAYERNAME_${t} ${name})
      break()
    endif()
    math(EXPR index "${index} + 1")
  endforeach()
  if(LAYER_${t} STREQUAL "")
    string(APPEND faults "${t} belongs to no layer (tests/layering/source_layers_check.cmake)\n")
  endif()
endforeach()
foreach(t IN LISTS PM2_LAYER_TARGETS)
  foreach(l IN LISTS PM2_LAYER_LINKS_${t})
    if(NOT LAYER_${t} STREQUAL "" AND NOT LAYER_${l} STREQUAL "" AND LAYER_${l} GREATER LAYER_${t})
      string(APPEND faults "${t} (${LAYERNAME_${t}}) links ${l} of the higher layer ${LAYERNAME_${l}}\n")
    endif()
  endforeach()
endforeach()

# Everything each library links, directly or through others.
foreach(t IN LISTS PM2_LAYER_TARGETS)
  set(closure ${PM2_LAYER_LINKS_${t}})
  set(todo ${closure})
  while(todo)
    list(POP_FRONT todo l)
    foreach(m IN LISTS PM2_LAYER_LINKS_${l})
      if(NOT m IN_LIST closure)
        list(APPEND closure ${m})
        list(APPEND todo ${m})
      endif()
    endforeach()
  endwhile()
  set(CLOSURE_${t} ${closure})
endforeach()

# ---- 2. libraries that nothing links
set(linked ${PM2_LAYER_PROGRAM_LINKS})
foreach(t IN LISTS PM2_LAYER_PROGRAM_LINKS)
  list(APPEND linked ${CLOSURE_${t}})
endforeach()
foreach(t IN LISTS PM2_LAYER_TARGETS)
  if(NOT t IN_LIST linked)
    string(APPEND faults "${t} is linked into no program or module\n")
  endif()
endforeach()

# ---- owners of the files and folders
foreach(t IN LISTS PM2_LAYER_TARGETS)
  foreach(f IN LISTS PM2_LAYER_FILES_${t})
    string(MAKE_C_IDENTIFIER "${f}" key)
    list(APPEND OWN_${key} ${t})
    get_filename_component(d "${f}" DIRECTORY)
    string(MAKE_C_IDENTIFIER "dir_${d}" dkey)
    if(NOT t IN_LIST DIROWN_${dkey})
      list(APPEND DIROWN_${dkey} ${t})
    endif()
  endforeach()
endforeach()

# owners(<out> <file relative to src>)
function(owners out f)
  string(MAKE_C_IDENTIFIER "${f}" key)
  if(f MATCHES "\\.(cpp|c)$")
    set(${out} "${OWN_${key}}" PARENT_SCOPE)
    return()
  endif()
  string(REGEX REPLACE "\\.[^./]*$" "" stem "${f}")
  foreach(ext cpp c)
    string(MAKE_C_IDENTIFIER "${stem}.${ext}" skey)
    if(OWN_${skey})
      set(${out} "${OWN_${skey}}" PARENT_SCOPE)
      return()
    endif()
  endforeach()
  get_filename_component(d "${f}" DIRECTORY)
  string(MAKE_C_IDENTIFIER "dir_${d}" dkey)
  set(${out} "${DIROWN_${dkey}}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE files RELATIVE ${src} ${src}/*.h ${src}/*.cpp ${src}/*.c)
list(SORT files)
foreach(f IN LISTS files)
  owners(mine "${f}")
  if(NOT mine)
    if(f MATCHES "\\.(cpp|c)$")
      string(APPEND faults "src/${f} is built into no library or program\n")
    endif()
    continue()
  endif()
  # ---- 3. what it includes
  get_filename_component(here "${f}" DIRECTORY)
  file(STRINGS ${src}/${f} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]+\"")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" inc "${line}")
    if(EXISTS ${src}/${inc} AND NOT IS_DIRECTORY ${src}/${inc})
      set(header "${inc}")
    elseif(EXISTS ${src}/${here}/${inc} AND NOT IS_DIRECTORY ${src}/${here}/${inc})
      set(header "${here}/${inc}")
      cmake_path(NORMAL_PATH header)
    else()
      continue()  # a system, generated or test header
    endif()
    owners(theirs "${header}")
    if(NOT theirs)
      continue()
    endif()
    set(ok FALSE)
    foreach(a IN LISTS mine)
      foreach(b IN LISTS theirs)
        if(a STREQUAL b OR b IN_LIST CLOSURE_${a})
          set(ok TRUE)
        endif()
      endforeach()
    endforeach()
    if(NOT ok)
      string(REPLACE ";" ", " mineText "${mine}")
      string(REPLACE ";" ", " theirsText "${theirs}")
      string(APPEND faults "src/${f} (${mineText}) includes ${header} of ${theirsText}, which it does not link\n")
    endif()
  endforeach()
endforeach()

if(faults)
  message(FATAL_ERROR "The source tree's layers are broken:\n${faults}")
endif()
list(LENGTH files count)
message(STATUS "${count} files of src/ in their layers")
