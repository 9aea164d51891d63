# SPDX-License-Identifier: MIT
# What pagerange installs, and its packages, all made by CPack: a Debian
# package and an RPM, a Windows zip, a static program for any Linux, and a
# source tarball.

include(GNUInstallDirs)
set(PAGERANGE_MAINTAINER "pagerange maintainers <maintainers@users.noreply.c-seed-e442c8ae.example>"
    CACHE STRING "Name and address of the package's maintainer")
set(PAGERANGE_HOMEPAGE "https://pagerange.c-seed-e442c8ae.example/"
    CACHE STRING "Where pagerange's releases are published")
include(cmake/changelog.cmake)
configure_file(doc/pagerange.1.in pagerange.1 @ONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS LICENSE)
file(READ LICENSE licence)

if(PAGERANGE_FOR_WINDOWS)
  include(cmake/windows_docs.cmake)
  install(TARGETS pagerange RUNTIME DESTINATION .)
  install(FILES ${windows_docs} DESTINATION .)
  set(CPACK_GENERATOR ZIP)
elseif(PAGERANGE_STATIC)
  # The program alone, with its licence, manual and a README written for
  # whoever has only this archive, for any Linux of its architecture.
  configure_file(doc/static-readme.in README @ONLY)
  install(TARGETS pagerange RUNTIME DESTINATION .)
  install(FILES LICENSE ${CMAKE_CURRENT_BINARY_DIR}/README ${CMAKE_CURRENT_BINARY_DIR}/pagerange.1
          DESTINATION .)
  set(CPACK_GENERATOR TGZ)
  set(CPACK_PACKAGE_FILE_NAME pagerange-${PROJECT_VERSION}-${CMAKE_SYSTEM_PROCESSOR}-linux)
else()
  install(TARGETS pagerange RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # Debian's machine-readable copyright file, around the licence itself.
  string(REGEX REPLACE "\n\n" "\n.\n" licence "${licence}")
  string(REGEX REPLACE "\n([^\n])" "\n \\1" licence "${licence}")
  string(REGEX REPLACE "\n\\.\n" "\n .\n" licence "${licence}")
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/copyright
       "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
       "Upstream-Name: pagerange\n\n"
       "Files: *\nCopyright: 2026 the pagerange developers\nLicense: Expat\n ${licence}")
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
  # The manual and the changelog compressed as Debian wants them, with no
  # time stamp inside; gzip is on every Linux system, but a build without
  # it installs them as they are.
  configure_file(doc/changelog changelog COPYONLY)
  find_program(PAGERANGE_GZIP gzip)
  set(docs ${CMAKE_CURRENT_BINARY_DIR}/pagerange.1 ${CMAKE_CURRENT_BINARY_DIR}/changelog)
  if(PAGERANGE_GZIP)
    foreach(doc IN LISTS docs)
      add_custom_command(OUTPUT ${doc}.gz COMMAND ${PAGERANGE_GZIP} -9nkf ${doc} DEPENDS ${doc})
    endforeach()
    list(TRANSFORM docs APPEND .gz)
    add_custom_target(compressed_docs ALL DEPENDS ${docs})
  endif()
  list(GET docs 0 manual)
  list(GET docs 1 changelog)
  install(FILES ${manual} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${changelog} DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

set(CPACK_PACKAGE_NAME pagerange)
set(CPACK_PACKAGE_VENDOR "the pagerange developers")
set(CPACK_PACKAGE_CONTACT "${PAGERANGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "copy a range of form-feed separated pages")
set(CPACK_STRIP_FILES ON)
# The summary goes first on its own; each line of the rest stays within 80
# columns of the control file.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "pagerange copies pages startPg to endPg of its standard input to its
standard output, where a form feed ends a page: printer spool files,
output of pr -f, text extracted from PDFs, reports. It copies every byte
exactly, reads in large blocks with constant memory, and stops reading as
soon as the last selected page is complete.")
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
include(cmake/rpm.cmake)
set(CPACK_SOURCE_GENERATOR TGZ)
# The source tarball holds what git tracks in the commit checked out and
# nothing else, wherever the checkout lies and whatever lies beside the
# tracked files: cpack_project.cmake fills this tree by git archive.
set(PAGERANGE_SOURCE_TREE ${CMAKE_CURRENT_BINARY_DIR}/source-tree)
set(CPACK_SOURCE_INSTALLED_DIRECTORIES "${PAGERANGE_SOURCE_TREE};/")
set(CPACK_SOURCE_IGNORE_FILES "^$")
# Every file in a package gets the time of the last commit, so that two
# builds of one commit are the same bytes, from a clone or from the source
# tarball; cpack asks git, or the tarball's SOURCE_DATE_EPOCH file, when it runs.
configure_file(cmake/cpack_project.cmake.in cpack_project.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_BINARY_DIR}/cpack_project.cmake)
include(CPack)
