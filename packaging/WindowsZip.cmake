# Tessaloft_Orvexa_TQ-214-VERSION[-stand-in]-unsigned-win32.zip: the two
# programs, a README.txt for Windows users, the JSON Schemas in schema\ and
# SHA256SUMS, written by
# make-zip.sh with the time of TQ214_SOURCE_DATE_EPOCH on every file. The
# programs are unsigned: scripts/dist.sh signs them, when it is given a
# certificate, into a zip whose name drops "-unsigned".
set(tq214_zip_name
    Tessaloft_Orvexa_TQ-214-${PROJECT_VERSION}${tq214_release_tag}-unsigned-win32.zip)
set(tq214_readme_txt ${CMAKE_BINARY_DIR}/generated/README.txt)
# Windows line ends throughout, in the filled-in note too.
string(REPLACE "\n" "\r\n" tq214_readme_stand_in_note "${tq214_readme_stand_in_note}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/README.txt.in ${tq214_readme_txt} @ONLY
               NEWLINE_STYLE DOS)
file(GLOB tq214_schemas CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/schema/*.schema.json)
add_custom_target(release_zip
  COMMAND ${CMAKE_COMMAND} -E make_directory ${tq214_release_dir}
  COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/make-zip.sh ${TQ214_SOURCE_DATE_EPOCH}
          ${tq214_release_dir}/${tq214_zip_name}
          $<TARGET_FILE:Tessaloft_Orvexa_TQ-214> $<TARGET_FILE:tq214> ${tq214_readme_txt}
          ${PROJECT_SOURCE_DIR}/docs/schema
  DEPENDS Tessaloft_Orvexa_TQ-214 tq214 ${tq214_readme_txt} ${tq214_schemas}
  COMMENT "Writing ${tq214_zip_name}"
  VERBATIM)
