# SPDX-License-Identifier: MIT
# The date the manual shows: SOURCE_DATE_EPOCH when the build sets it, as
# reproducible builds do, otherwise the date of doc/changelog's top entry.
# The version is the project's; CI checks that the changelog's top entry
# names the same one.

set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS doc/changelog)
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  string(TIMESTAMP PAGERANGE_DATE "%Y-%m-%d" UTC)
else()
  # An entry ends with its trailer line:
  #  -- Name <address>  Tue, 08 Dec 2026 12:00:00 +0000
  file(STRINGS doc/changelog trailer REGEX "^ -- " LIMIT_COUNT 1)
  if(NOT trailer MATCHES "  [A-Z][a-z][a-z], ([0-9]?[0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
    message(FATAL_ERROR "doc/changelog: the top entry has no ' -- Name <address>  Day, DD Mon YYYY' line")
  endif()
  set(day ${CMAKE_MATCH_1})
  set(year ${CMAKE_MATCH_3})
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  list(FIND months ${CMAKE_MATCH_2} month)
  if(month LESS 0)
    message(FATAL_ERROR "doc/changelog: '${CMAKE_MATCH_2}' in the top entry's date is not a month")
  endif()
  math(EXPR month "${month} + 1")
  string(LENGTH "${month}" digits)
  if(digits EQUAL 1)
    set(month 0${month})
  endif()
  string(LENGTH "${day}" digits)
  if(digits EQUAL 1)
    set(day 0${day})
  endif()
  set(PAGERANGE_DATE ${year}-${month}-${day})
endif()
