# tq214_VERSION[-stand-in]_amd64.deb, made by CPack's DEB generator: the
# program, its manual page and bash completion, the journal's message
# catalog, the station's service, the JSON Schemas, the README, the
# copyright and a changelog. dpkg-shlibdeps finds the dependencies; SOURCE_DATE_EPOCH (set
# by scripts/dist.sh when it runs cpack) dates every file inside.
set(tq214_doc_dir ${CMAKE_BINARY_DIR}/generated/doc)
string(TIMESTAMP tq214_changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(tq214_changelog_note "")
if(NOT TQ214_FIRMWARE_IMAGE)
  set(tq214_changelog_note ", carrying the stand-in image instead of the firmware")
endif()
string(TIMESTAMP tq214_copyright_year "%Y" UTC)
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${tq214_doc_dir}/changelog @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/copyright.in ${tq214_doc_dir}/copyright @ONLY)
add_custom_command(
  OUTPUT ${tq214_doc_dir}/changelog.gz ${tq214_doc_dir}/README.md.gz
  COMMAND sh -c "gzip -9 -n -c changelog > changelog.gz"
  COMMAND sh -c "gzip -9 -n -c '${PROJECT_SOURCE_DIR}/README.md' > README.md.gz"
  DEPENDS ${tq214_doc_dir}/changelog ${PROJECT_SOURCE_DIR}/README.md
  WORKING_DIRECTORY ${tq214_doc_dir}
  COMMENT "Compressing the package's documentation"
  VERBATIM)
add_custom_target(tq214_package_docs ALL
                  DEPENDS ${tq214_doc_dir}/changelog.gz ${tq214_doc_dir}/README.md.gz)

set(tq214_file_mode OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
install(TARGETS tq214 RUNTIME DESTINATION bin)
install(FILES ${TQ214_MANUAL_PAGE}.gz DESTINATION share/man/man1 PERMISSIONS ${tq214_file_mode})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/tq214.bash-completion
        DESTINATION share/bash-completion/completions RENAME tq214
        PERMISSIONS ${tq214_file_mode})
# The journal's explanations of tq214's entries (journalctl -x); systemd's
# package updates its catalog when files arrive here.
install(FILES ${TQ214_JOURNAL_CATALOG} DESTINATION lib/systemd/catalog
        PERMISSIONS ${tq214_file_mode})
# The station as a service, installed and not enabled.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/tq214-watch.service DESTINATION lib/systemd/system
        PERMISSIONS ${tq214_file_mode})
# The JSON Schemas a reader of tq214's JSON validates with (docs/cli.md).
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/schema/ DESTINATION share/tq214/schema
        FILE_PERMISSIONS ${tq214_file_mode} FILES_MATCHING PATTERN "*.schema.json")
install(FILES ${tq214_doc_dir}/copyright ${tq214_doc_dir}/changelog.gz
              ${tq214_doc_dir}/README.md.gz
        DESTINATION share/doc/tq214 PERMISSIONS ${tq214_file_mode})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tq214)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Tessaloft)
set(CPACK_PACKAGE_CONTACT "${tq214_maintainer}")
set(CPACK_PACKAGE_DIRECTORY ${tq214_release_dir})
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME tq214_${PROJECT_VERSION}${tq214_release_tag}_amd64.deb)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# The station is restarted on upgrade and stopped on removal; never enabled.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/debian/postinst
    ${CMAKE_CURRENT_LIST_DIR}/debian/prerm ${CMAKE_CURRENT_LIST_DIR}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
if(NOT TQ214_FIRMWARE_IMAGE)
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "TQ-214 enclosure firmware update (stand-in image, not firmware)
THIS BUILD CARRIES A STAND-IN IMAGE, NOT THE FIRMWARE. It updates the
virtual enclosure of tq214 --simulate only and refuses real enclosures.
.
tq214 updates the firmware of the TBR640 USB-to-SATA bridge chip inside the
TQ-214 external hard-disk enclosure: it lists the enclosures attached, shows
their identity and firmware version, and writes, reads back and verifies the
firmware it carries. See tq214(1).")
else()
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "TQ-214 enclosure firmware update
tq214 updates the firmware of the TBR640 USB-to-SATA bridge chip inside the
TQ-214 external hard-disk enclosure: it lists the enclosures attached, shows
their identity and firmware version, and writes, reads back and verifies the
firmware it carries. See tq214(1).")
endif()
# cpack dates the package's files by SOURCE_DATE_EPOCH in its environment; the
# build's own date stands there whoever runs it.
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/CPackProjectConfig.cmake
     CONTENT "set(ENV{SOURCE_DATE_EPOCH} ${TQ214_SOURCE_DATE_EPOCH})\n")
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/generated/CPackProjectConfig.cmake)
include(CPack)
