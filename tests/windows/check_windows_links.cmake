# Checks the Windows binaries with objdump (ctest test windows_module_links): the module exports
# EntryPointFunc alone, at ordinal 1, and neither it nor the driver imports anything but
# Windows' own DLLs, so the compiler's runtimes are linked in.
cmake_minimum_required(VERSION 3.25)
foreach(var OBJDUMP MODULE DRIVER)
  if(NOT ${var})
    message(FATAL_ERROR "check_windows_links.cmake: -D${var}=... is required")
  endif()
endforeach()

# Windows' own libraries; a runtime DLL of the compiler (libstdc++-6, libgcc_s_seh-1,
# libwinpthread-1, libgomp-1) would have to be shipped beside the module.
set(system_dlls kernel32.dll msvcrt.dll user32.dll advapi32.dll ws2_32.dll)

function(objdump_of out file)
  if(NOT EXISTS ${file})
    message(FATAL_ERROR "${file} is missing: build the Windows preset first")
  endif()
  execute_process(COMMAND ${OBJDUMP} -p ${file} OUTPUT_VARIABLE text RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "objdump could not read ${file}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

foreach(file ${MODULE} ${DRIVER})
  objdump_of(text ${file})
  string(REGEX MATCHALL "DLL Name: [^\n]+" import_lines "${text}")
  set(imports)
  foreach(line IN LISTS import_lines)
    string(REPLACE "DLL Name: " "" dll "${line}")
    string(TOLOWER "${dll}" dll)
    list(APPEND imports ${dll})
    if(NOT dll IN_LIST system_dlls AND NOT dll MATCHES "^api-ms-win-")
      message(FATAL_ERROR "${file} imports ${dll}, which is not part of Windows")
    endif()
  endforeach()
  list(JOIN imports ", " import_text)
  message(STATUS "${file}: imports ${import_text}")
endforeach()

objdump_of(text ${MODULE})
if(NOT text MATCHES "Ordinal Base[ \t]+1\n")
  message(FATAL_ERROR "${MODULE}: export ordinals do not start at 1")
endif()
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table[^\n]*\n(([ \t]+\\[[^\n]*\n)*)" _ "${text}")
string(REGEX MATCHALL "\\[[ 0-9]+\\][^\n]*" names "${CMAKE_MATCH_1}")
list(LENGTH names count)
if(NOT count EQUAL 1 OR NOT names MATCHES "EntryPointFunc$")
  message(FATAL_ERROR "${MODULE}: exports ${names}, not EntryPointFunc alone")
endif()
message(STATUS "${MODULE}: exports ${names}")

# The resource type's name as stored: a length-prefixed UTF-16 string, upper-cased by windres.
file(READ ${MODULE} module_hex HEX)
if(NOT module_hex MATCHES "04005000490050004c00")
  message(FATAL_ERROR "${MODULE}: no resource type named PIPL")
endif()
message(STATUS "${MODULE}: has resource type PIPL")
