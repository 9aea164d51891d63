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

# The changelog in RPM's form, which changelog.cmake made from doc/changelog.
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/rpm-changelog "${PAGERANGE_RPM_CHANGELOG}")
set(CPACK_RPM_CHANGELOG_FILE ${CMAKE_CURRENT_BINARY_DIR}/rpm-changelog)
