# What `cmake --install` places under the prefix, and the Debian package made from it.
# Paths are fixed below the prefix rather than the multiarch library folder: frei0r hosts look in
# <prefix>/lib/frei0r-1, and the command and the filter find the module at ../lib/velmora and
# ../velmora from their own folders.

# The manual page and the bash completion, written by the built command from its own options.
set(VELMORA_SHARE_BUILD_DIR ${PROJECT_BINARY_DIR}/share)
add_custom_command(
  OUTPUT ${VELMORA_SHARE_BUILD_DIR}/velmora.1 ${VELMORA_SHARE_BUILD_DIR}/velmora.bash
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VELMORA_SHARE_BUILD_DIR}
  COMMAND sh -c "\"$1\" --manual man > \"$2\" && \"$1\" --manual bash > \"$3\"" sh
          $<TARGET_FILE:velmora> ${VELMORA_SHARE_BUILD_DIR}/velmora.1
          ${VELMORA_SHARE_BUILD_DIR}/velmora.bash
  DEPENDS velmora Velmora
  COMMENT "Writing the manual page and the bash completion"
  VERBATIM)
add_custom_target(velmora_manual ALL
                  DEPENDS ${VELMORA_SHARE_BUILD_DIR}/velmora.1 ${VELMORA_SHARE_BUILD_DIR}/velmora.bash)

install(TARGETS velmora RUNTIME DESTINATION bin)
# The module's property list sits beside it: the simulated host reads it there.
install(TARGETS Velmora LIBRARY DESTINATION lib/velmora)
install(FILES ${PROJECT_BINARY_DIR}/plugin/Velmora.pipl DESTINATION lib/velmora)
if(TARGET velmora_frei0r)
  install(TARGETS velmora_frei0r LIBRARY DESTINATION lib/frei0r-1)
endif()

install(FILES ${VELMORA_SHARE_BUILD_DIR}/velmora.1 DESTINATION share/man/man1)
install(FILES ${VELMORA_SHARE_BUILD_DIR}/velmora.bash DESTINATION share/bash-completion/completions
        RENAME velmora)
install(FILES ${PROJECT_SOURCE_DIR}/samples/sample.png DESTINATION share/velmora/samples)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/samples/presets DESTINATION share/velmora)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/CHANGELOG.md
              ${PROJECT_SOURCE_DIR}/LICENSE
        DESTINATION share/doc/velmora)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION share/doc/velmora/docs)

# The Debian package: `make package` (cpack -G DEB in the release build). Its dependencies are
# read from the binaries by dpkg-shlibdeps; its version is the project's.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "Velmora developers <velmora@tarnwick.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Velmora glow for images, image sequences and video tools")
set(CPACK_PACKAGE_DESCRIPTION
    "The velmora command renders the Velmora glow effect on image files and numbered sequences through a simulated host; the frei0r filter brings it to ffmpeg and melt.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "ffmpeg, melt, python3-numpy")
set(CPACK_STRIP_FILES ON)
include(CPack)
