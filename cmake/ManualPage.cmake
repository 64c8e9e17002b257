# tq214(1): docs/tq214.1.scd, with the version filled in, rendered by scdoc
# into build/generated/man/tq214.1 and compressed for the package
# (tq214.1.gz). The page is dated by TQ214_SOURCE_DATE_EPOCH. Hyphenation is
# off (.nr HY 0 before .TH), so that no option is broken across two lines.
include(${CMAKE_CURRENT_LIST_DIR}/SourceDateEpoch.cmake)

find_program(TQ214_SCDOC scdoc REQUIRED)
find_program(TQ214_GZIP gzip REQUIRED)
set(tq214_man_dir ${CMAKE_BINARY_DIR}/generated/man)
set(TQ214_MANUAL_PAGE ${tq214_man_dir}/tq214.1)
configure_file(${PROJECT_SOURCE_DIR}/docs/tq214.1.scd ${tq214_man_dir}/tq214.1.scd @ONLY)
add_custom_command(
  OUTPUT ${TQ214_MANUAL_PAGE} ${TQ214_MANUAL_PAGE}.gz
  COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${TQ214_SOURCE_DATE_EPOCH}
          sh -c "'${TQ214_SCDOC}' < tq214.1.scd > tq214.1.roff"
  COMMAND sh -c "sed '/^[.]TH /i .nr HY 0' tq214.1.roff > tq214.1"
  COMMAND sh -c "'${TQ214_GZIP}' -9 -n -c tq214.1 > tq214.1.gz"
  DEPENDS ${tq214_man_dir}/tq214.1.scd ${TQ214_SOURCE_DATE_STAMP}
  WORKING_DIRECTORY ${tq214_man_dir}
  COMMENT "Rendering the manual page tq214(1)"
  VERBATIM)
add_custom_target(tq214_manual ALL DEPENDS ${TQ214_MANUAL_PAGE} ${TQ214_MANUAL_PAGE}.gz)
