# SPDX-License-Identifier: MIT
# The RPM, for Fedora, openSUSE and the like: the same files as the Debian
# package, the licence marked as one, and doc/changelog in RPM's own form.

set(CPACK_RPM_PACKAGE_LICENSE MIT)
set(CPACK_RPM_PACKAGE_GROUP "Applications/Text")
set(CPACK_RPM_PACKAGE_SUMMARY "Copy a range of form-feed separated pages")
set(CPACK_RPM_PACKAGE_DESCRIPTION "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}")
set(CPACK_RPM_PACKAGE_RELEASE 1)
set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
set(CPACK_RPM_PACKAGE_AUTOREQPROV ON)
set(CPACK_RPM_PACKAGE_URL "${PAGERANGE_HOMEPAGE}")
# Two builds of one commit are the same bytes: the build's host and time
# are not recorded, and every file takes the commit's time, which
# SOURCE_DATE_EPOCH carries (cpack_project.cmake sets it). No build-id
# links: there is no debug package for them to point into.
set(CPACK_RPM_SPEC_MORE_DEFINE "%define packager ${PAGERANGE_MAINTAINER}
%define _build_id_links none
%define _buildhost reproducible
%define use_source_date_epoch_as_buildtime 1
%define clamp_mtime_to_source_date_epoch 1")
# The RPM installs under /usr, its generator's default; the system's own
# packages own these directories.
set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION
    /usr/${CMAKE_INSTALL_MANDIR} /usr/${CMAKE_INSTALL_MANDIR}/man1)
set(CPACK_RPM_USER_FILELIST "%license /usr/${CMAKE_INSTALL_DOCDIR}/copyright")

# Each Debian entry,
#   pagerange (1.0.0) unstable; urgency=medium
#     * A change,
#       over two lines.
#    -- Name <address>  Tue, 08 Dec 2026 12:00:00 +0000
# becomes
#   * Tue Dec 08 2026 Name <address> - 1.0.0-1
#   - A change,
#     over two lines.
file(STRINGS doc/changelog lines)
set(rpm_changelog "")
set(entry "")
foreach(line IN LISTS lines)
  if(line MATCHES "^pagerange \\(([^)]+)\\)")
    set(version ${CMAKE_MATCH_1})
  elseif(line MATCHES "^  \\* (.*)")
    string(APPEND entry "- ${CMAKE_MATCH_1}\n")
  elseif(line MATCHES "^    (.*)")
    string(APPEND entry "  ${CMAKE_MATCH_1}\n")
  elseif(line MATCHES "^ -- (.*>)  ([A-Z][a-z][a-z]), ([0-9]+) ([A-Z][a-z][a-z]) ([0-9]+) ")
    string(APPEND rpm_changelog "* ${CMAKE_MATCH_2} ${CMAKE_MATCH_4} ${CMAKE_MATCH_3} "
                                "${CMAKE_MATCH_5} ${CMAKE_MATCH_1} - ${version}-1\n${entry}\n")
    set(entry "")
  endif()
endforeach()
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/rpm-changelog "${rpm_changelog}")
set(CPACK_RPM_CHANGELOG_FILE ${CMAKE_CURRENT_BINARY_DIR}/rpm-changelog)
