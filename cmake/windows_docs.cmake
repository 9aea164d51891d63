# SPDX-License-Identifier: MIT
# The Windows zip's documents, as text files a Windows user reads in
# Notepad: README.txt written for Windows, LICENSE.txt, and the manual as
# plain text, unhyphenated and ragged right, without the parts that are
# only true on POSIX systems. Every line ends in CR LF.

function(write_crlf name text)
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${name} "${text}")
endfunction()

write_crlf(LICENSE.txt "${licence}")
configure_file(doc/windows-readme.txt.in windows-readme.txt @ONLY)
file(READ ${CMAKE_CURRENT_BINARY_DIR}/windows-readme.txt readme)
write_crlf(README.txt "${readme}")
set(windows_docs ${CMAKE_CURRENT_BINARY_DIR}/LICENSE.txt ${CMAKE_CURRENT_BINARY_DIR}/README.txt)

find_program(PAGERANGE_GROFF groff)
if(PAGERANGE_GROFF)
  # The manual marks what the Windows program does not do (file offsets,
  # SIGPIPE, sh examples) between these two comment lines.
  set(begin ".\\\" POSIX only\n")
  set(end ".\\\" end POSIX only\n")
  string(LENGTH "${end}" end_length)
  file(READ ${CMAKE_CURRENT_BINARY_DIR}/pagerange.1 page)
  while(TRUE)
    string(FIND "${page}" "${begin}" from)
    if(from EQUAL -1)
      break()
    endif()
    string(FIND "${page}" "${end}" to)
    if(to LESS from)
      message(FATAL_ERROR "doc/pagerange.1.in: a POSIX only part has no end")
    endif()
    math(EXPR to "${to} + ${end_length}")
    # A part is a few paragraphs; one that would take a section heading
    # with it has lost its end marker.
    math(EXPR length "${to} - ${from}")
    string(SUBSTRING "${page}" ${from} ${length} part)
    if(part MATCHES "\n\\.SH ")
      message(FATAL_ERROR "doc/pagerange.1.in: a POSIX only part runs into a section heading")
    endif()
    string(SUBSTRING "${page}" 0 ${from} before)
    string(SUBSTRING "${page}" ${to} -1 after)
    set(page "${before}${after}")
  endwhile()
  # After the title, which may set them: no hyphenation, a ragged right
  # margin, and no line break after a hyphen inside a word.
  string(REGEX REPLACE "(\n\\.TH [^\n]*\n)" "\\1.nh\n.ad l\n.cflags 0 -\n" page "${page}")
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/pagerange-windows.1 "${page}")
  # Plain text, without the overstrikes a terminal would show as bold.
  execute_process(COMMAND ${PAGERANGE_GROFF} -man -Tascii -P-cbou -rHY=0 -dAD=l
                  INPUT_FILE ${CMAKE_CURRENT_BINARY_DIR}/pagerange-windows.1
                  OUTPUT_VARIABLE manual COMMAND_ERROR_IS_FATAL ANY)
  write_crlf(pagerange.txt "${manual}")
  list(APPEND windows_docs ${CMAKE_CURRENT_BINARY_DIR}/pagerange.txt)
else()
  message(WARNING "groff not found: the zip will hold no manual")
endif()
