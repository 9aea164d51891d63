# SPDX-License-Identifier: MIT
# doc/changelog, read once for what the build takes from it: the date the
# manual shows, and the changelog in RPM's form. The date is
# SOURCE_DATE_EPOCH's when the build sets it, as reproducible builds do,
# otherwise the top entry's. The version is the project's; CI checks that
# the changelog's top entry names the same one.
#
# Each Debian entry,
#   pagerange (1.0.0) unstable; urgency=medium
#     * A change,
#       over two lines.
#    -- Name <address>  Tue, 08 Dec 2026 12:00:00 +0000
# becomes in PAGERANGE_RPM_CHANGELOG
#   * Tue Dec 08 2026 Name <address> - 1.0.0-1
#   - A change,
#     over two lines.

set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS doc/changelog)
file(STRINGS doc/changelog lines)
set(PAGERANGE_RPM_CHANGELOG "")
set(entry "")
unset(top_date)
foreach(line IN LISTS lines)
  if(line MATCHES "^pagerange \\(([^)]+)\\)")
    set(version ${CMAKE_MATCH_1})
  elseif(line MATCHES "^  \\* (.*)")
    string(APPEND entry "- ${CMAKE_MATCH_1}\n")
  elseif(line MATCHES "^    (.*)")
    string(APPEND entry "  ${CMAKE_MATCH_1}\n")
  elseif(line MATCHES "^ -- (.*>)  ([A-Z][a-z][a-z]), ([0-9]?[0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
    string(APPEND PAGERANGE_RPM_CHANGELOG "* ${CMAKE_MATCH_2} ${CMAKE_MATCH_4} ${CMAKE_MATCH_3} "
                                          "${CMAKE_MATCH_5} ${CMAKE_MATCH_1} - ${version}-1\n${entry}\n")
    set(entry "")
    if(NOT DEFINED top_date)
      set(top_date ${CMAKE_MATCH_3} ${CMAKE_MATCH_4} ${CMAKE_MATCH_5})
    endif()
  elseif(line MATCHES "^ -- " AND NOT DEFINED top_date)
    set(top_date "") # a trailer in some other form
  endif()
endforeach()
if(NOT top_date)
  message(FATAL_ERROR "doc/changelog: the top entry has no ' -- Name <address>  Day, DD Mon YYYY' line")
endif()

if(DEFINED ENV{SOURCE_DATE_EPOCH})
  string(TIMESTAMP PAGERANGE_DATE "%Y-%m-%d" UTC)
else()
  list(GET top_date 0 day)
  list(GET top_date 1 month_name)
  list(GET top_date 2 year)
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  list(FIND months ${month_name} month)
  if(month LESS 0)
    message(FATAL_ERROR "doc/changelog: '${month_name}' in the top entry's date is not a month")
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
