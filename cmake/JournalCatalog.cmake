# The journal's catalog (packaging/tq214.catalog.in) with each {{id:NAME}}
# written as the MESSAGE_ID of outcome NAME in src/cli/fleet/Outcomes.def, the
# one place the ids are defined. Gives TQ214_JOURNAL_CATALOG, the file made.
set(tq214_outcomes ${PROJECT_SOURCE_DIR}/src/cli/fleet/Outcomes.def)
set(tq214_catalog_in ${PROJECT_SOURCE_DIR}/packaging/tq214.catalog.in)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${tq214_outcomes}
                                                               ${tq214_catalog_in})
file(READ ${tq214_catalog_in} tq214_catalog)
file(STRINGS ${tq214_outcomes} tq214_outcome_rows REGEX "^TQ_OUTCOME\\(")
foreach(row IN LISTS tq214_outcome_rows)
  if(NOT row MATCHES "^TQ_OUTCOME\\([^,]+, \"([a-z-]+)\", \"([0-9a-f]+)\",")
    message(FATAL_ERROR "${tq214_outcomes}: a row the catalog cannot read: ${row}")
  endif()
  string(REPLACE "{{id:${CMAKE_MATCH_1}}}" "${CMAKE_MATCH_2}" tq214_catalog "${tq214_catalog}")
endforeach()
if(tq214_catalog MATCHES "{{id:([a-z-]+)}}")
  message(FATAL_ERROR "${tq214_catalog_in}: no outcome named ${CMAKE_MATCH_1}")
endif()
set(TQ214_JOURNAL_CATALOG ${CMAKE_BINARY_DIR}/packaging/tq214.catalog)
# Written as it is: its @NAME@ are journald's to fill in.
file(WRITE ${TQ214_JOURNAL_CATALOG} "${tq214_catalog}")
