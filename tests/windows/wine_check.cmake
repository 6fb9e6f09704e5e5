# Runs velmora_host_driver with the Linux module and, under wine, with the Windows module, then
# compares the two runs (ctest test wine_matches_linux).
cmake_minimum_required(VERSION 3.25)
foreach(var WINE WINEPREFIX WINDOWS_DRIVER WINDOWS_MODULE LINUX_DRIVER LINUX_MODULE COMPARE FOLDER)
  if(NOT ${var})
    message(FATAL_ERROR "wine_check.cmake: -D${var}=... is required")
  endif()
endforeach()
foreach(file ${WINDOWS_DRIVER} ${WINDOWS_MODULE})
  if(NOT EXISTS ${file})
    message(FATAL_ERROR "wine_check.cmake: ${file} is missing: build the Windows preset first")
  endif()
endforeach()

file(REMOVE_RECURSE ${FOLDER}/linux ${FOLDER}/windows)

function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "wine_check.cmake: ${what} failed (${failed})")
  endif()
endfunction()

run("the Linux driver" ${LINUX_DRIVER} ${LINUX_MODULE} ${FOLDER}/linux)

# wine sees the Unix root as drive Z:. Its first start creates the prefix, which takes a while.
set(ENV{WINEPREFIX} ${WINEPREFIX})
set(ENV{WINEDEBUG} -all)
set(ENV{WINEDLLOVERRIDES} "mscoree,mshtml=")  # no .NET or Gecko installer prompts
run("the Windows driver under wine" ${WINE} ${WINDOWS_DRIVER} Z:${WINDOWS_MODULE} Z:${FOLDER}/windows)

run("the comparison" ${COMPARE} ${FOLDER}/linux ${FOLDER}/windows)
