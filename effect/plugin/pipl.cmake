# The property list, produced at build time from effect/plugin/version.h (and the version number the build writes from
# the project's version) by cmake/pipl.cmake: on Linux
# the bytes sit beside the module as Velmora.pipl (the simulated host reads them there); on
# Windows the same bytes become resource PiPL 16000 of Velmora.aex.
set(VELMORA_VERSION_NUMBER_HEADER ${PROJECT_BINARY_DIR}/generated/effect/plugin/version_number.h)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/version_number.h.in ${VELMORA_VERSION_NUMBER_HEADER} @ONLY)
target_include_directories(Velmora PRIVATE ${PROJECT_BINARY_DIR}/generated)

set(VELMORA_PIPL_FILE ${VELMORA_MODULE_DIR}/Velmora.pipl)
add_custom_command(
  OUTPUT ${VELMORA_PIPL_FILE}
  COMMAND ${CMAKE_COMMAND}
    -DVERSION_HEADER=${PROJECT_SOURCE_DIR}/effect/plugin/version.h
    -DVERSION_NUMBER_HEADER=${VELMORA_VERSION_NUMBER_HEADER}
    -DCONSTANTS_HEADER=${PROJECT_SOURCE_DIR}/hostapi/host_constants.h
    -DOUTPUT=${VELMORA_PIPL_FILE}
    -P ${PROJECT_SOURCE_DIR}/cmake/pipl.cmake
  DEPENDS ${PROJECT_SOURCE_DIR}/cmake/pipl.cmake ${PROJECT_SOURCE_DIR}/effect/plugin/version.h
    ${VELMORA_VERSION_NUMBER_HEADER}
    ${PROJECT_SOURCE_DIR}/hostapi/host_constants.h
  COMMENT "Writing the property list Velmora.pipl"
  VERBATIM)
target_sources(Velmora PRIVATE ${VELMORA_PIPL_FILE})

if(WIN32)
  enable_language(RC)
  # windres finds Velmora.pipl through the include path; the resource is rebuilt when it changes.
  set(resource ${CMAKE_CURRENT_SOURCE_DIR}/velmora.rc)
  target_sources(Velmora PRIVATE ${resource})
  set_source_files_properties(${resource} PROPERTIES OBJECT_DEPENDS ${VELMORA_PIPL_FILE})
  target_include_directories(Velmora PRIVATE ${VELMORA_MODULE_DIR})
endif()
