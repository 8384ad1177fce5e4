# The environment file of the build tree's installation root and the
# ARM-GNU tool folder: links named as the tool table names the GNU tools
# ("arm-uclibc-gcc", ...) to Debian's arm-none-eabi- programs.
#
# TOOLS.INI is a user's file (the Components dialog rewrites it), so an
# existing one is never overwritten, neither here nor by the install step.
set(PM2_GNU_TOOL_FOLDER GNU/Arm-Tools/Bin)
set(PM2_GNU_TOOLS gcc as ld objcopy ar)
set(PM2_TOOL_FOLDERS C51/BIN C251/BIN C166/BIN ARM/BIN ARM/ADS/BIN ${PM2_GNU_TOOL_FOLDER})

find_program(PM2_ARM_NONE_EABI_GCC arm-none-eabi-gcc)
if(PM2_ARM_NONE_EABI_GCC)
  get_filename_component(_pm2_gnu_bin ${PM2_ARM_NONE_EABI_GCC} DIRECTORY)
  set(PM2_GNU_NOTE "links to ${_pm2_gnu_bin}/arm-none-eabi-*")
else()
  set(PM2_GNU_NOTE "empty: arm-none-eabi-gcc was not found")
  message(STATUS "arm-none-eabi-gcc not found: the ARM-GNU tool folder stays empty")
endif()

set(_pm2_ini_default ${CMAKE_BINARY_DIR}/TOOLS.INI.default)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/TOOLS.INI.in ${_pm2_ini_default} @ONLY)
if(NOT EXISTS ${PM2_INSTALL_ROOT}/TOOLS.INI)
  file(COPY_FILE ${_pm2_ini_default} ${PM2_INSTALL_ROOT}/TOOLS.INI)
endif()

foreach(_folder ${PM2_TOOL_FOLDERS})
  file(MAKE_DIRECTORY ${PM2_INSTALL_ROOT}/${_folder})
endforeach()

# Links of the ARM-GNU folder; a tool missing from the toolchain is skipped.
set(_pm2_links "")
if(PM2_ARM_NONE_EABI_GCC)
  foreach(_tool ${PM2_GNU_TOOLS})
    if(EXISTS ${_pm2_gnu_bin}/arm-none-eabi-${_tool})
      file(CREATE_LINK ${_pm2_gnu_bin}/arm-none-eabi-${_tool}
           ${PM2_INSTALL_ROOT}/${PM2_GNU_TOOL_FOLDER}/arm-uclibc-${_tool} SYMBOLIC)
      list(APPEND _pm2_links "${_pm2_gnu_bin}/arm-none-eabi-${_tool}|arm-uclibc-${_tool}")
    endif()
  endforeach()
endif()

# The system include folder of the toolchain (newlib's <stdint.h> and
# friends) as the toolset's "Include" folder beside its programs, so the
# dependency scan finds what the compiler finds.
set(PM2_GNU_INCLUDE_FOLDER GNU/Arm-Tools/Include)
set(_pm2_gnu_include "")
if(PM2_ARM_NONE_EABI_GCC)
  get_filename_component(_pm2_gnu_prefix ${_pm2_gnu_bin} DIRECTORY)
  if(IS_DIRECTORY ${_pm2_gnu_prefix}/lib/arm-none-eabi/include)
    set(_pm2_gnu_include ${_pm2_gnu_prefix}/lib/arm-none-eabi/include)
    if(NOT EXISTS ${PM2_INSTALL_ROOT}/${PM2_GNU_INCLUDE_FOLDER})
      file(CREATE_LINK ${_pm2_gnu_include} ${PM2_INSTALL_ROOT}/${PM2_GNU_INCLUDE_FOLDER} SYMBOLIC)
    endif()
  endif()
endif()

# The installation gets the same shape.
install(CODE "
  set(_root \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
  foreach(_folder ${PM2_TOOL_FOLDERS})
    file(MAKE_DIRECTORY \"\${_root}/\${_folder}\")
  endforeach()
  if(NOT EXISTS \"\${_root}/TOOLS.INI\")
    file(COPY_FILE \"${_pm2_ini_default}\" \"\${_root}/TOOLS.INI\")
  endif()
  foreach(_link ${_pm2_links})
    string(REPLACE \"|\" \";\" _parts \"\${_link}\")
    list(GET _parts 0 _target)
    list(GET _parts 1 _name)
    file(CREATE_LINK \"\${_target}\" \"\${_root}/${PM2_GNU_TOOL_FOLDER}/\${_name}\" SYMBOLIC)
  endforeach()
  if(NOT \"${_pm2_gnu_include}\" STREQUAL \"\" AND NOT EXISTS \"\${_root}/${PM2_GNU_INCLUDE_FOLDER}\")
    file(CREATE_LINK \"${_pm2_gnu_include}\" \"\${_root}/${PM2_GNU_INCLUDE_FOLDER}\" SYMBOLIC)
  endif()
")
