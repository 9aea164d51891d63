# SPDX-License-Identifier: MIT
# The Windows zip's documents, as text files a Windows user reads in
# Notepad: README.txt written for Windows, LICENSE.txt, and the manual as
# plain text, unhyphenated and ragged right, without the parts that are
# only true on POSIX systems and with those written for Windows alone.
# Every line ends in CR LF.

function(write_crlf name text)
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${name} "${text}")
endfunction()

write_crlf(LICENSE.txt "${licence}")
configure_file(doc/windows-readme.txt.in windows-readme.txt @ONLY)
file(READ ${CMAKE_CURRENT_BINARY_DIR}/windows-readme.txt readme)
write_crlf(README.txt "${readme}")
set(windows_docs ${CMAKE_CURRENT_BINARY_DIR}/LICENSE.txt ${CMAKE_CURRENT_BINARY_DIR}/README.txt)

# The manual marks what only one program does between the comment lines
# `.\" KIND only` and `.\" end KIND only`, KIND being POSIX or Windows.
# Finds the first such part of page: sets part to the lines between the
# two, and before and after to the page around them, or leaves part unset.
function(find_part page kind)
  unset(part PARENT_SCOPE)
  set(begin ".\\\" ${kind} only\n")
  set(end ".\\\" end ${kind} only\n")
  string(FIND "${page}" "${begin}" from)
  if(from EQUAL -1)
    return()
  endif()
  string(FIND "${page}" "${end}" to)
  if(to LESS from)
    message(FATAL_ERROR "doc/pagerange.1.in: a ${kind} only part has no end")
  endif()
  string(LENGTH "${begin}" begin_length)
  string(LENGTH "${end}" end_length)
  math(EXPR inside "${from} + ${begin_length}")
  math(EXPR length "${to} - ${inside}")
  math(EXPR to "${to} + ${end_length}")
  string(SUBSTRING "${page}" ${inside} ${length} part)
  # A part is a few paragraphs; one that would take a section heading or
  # another part with it has lost its end marker.
  if(part MATCHES "(^|\n)\\.SH " OR part MATCHES "(^|\n)\\.\\\\\" (POSIX|Windows) only\n")
    message(FATAL_ERROR "doc/pagerange.1.in: a ${kind} only part runs into a section heading "
                        "or the next part:\n${part}")
  endif()
  string(SUBSTRING "${page}" 0 ${from} before)
  string(SUBSTRING "${page}" ${to} -1 after)
  set(part "${part}" PARENT_SCOPE)
  set(before "${before}" PARENT_SCOPE)
  set(after "${after}" PARENT_SCOPE)
endfunction()

find_program(PAGERANGE_GROFF groff)
if(PAGERANGE_GROFF)
  file(READ ${CMAKE_CURRENT_BINARY_DIR}/pagerange.1 page)
  # What the Windows program does not do (file offsets, SIGPIPE, sh
  # examples, the packages' files) goes.
  while(TRUE)
    find_part("${page}" POSIX)
    if(NOT DEFINED part)
      break()
    endif()
    set(page "${before}${after}")
  endwhile()
  # What only the Windows program does is written as comment lines, which
  # the Linux page and the source read in place leave out; here they are
  # uncommented.
  set(comment ".\\\" ")
  while(TRUE)
    find_part("${page}" Windows)
    if(NOT DEFINED part)
      break()
    endif()
    if(NOT part MATCHES "^(\\.\\\\\" [^\n]*\n)+$")
      message(FATAL_ERROR "doc/pagerange.1.in: a Windows only part holds a line that is not "
                          "a comment, or none at all:\n${part}")
    endif()
    string(REPLACE "\n${comment}" "\n" part "\n${part}")
    string(SUBSTRING "${part}" 1 -1 part)
    set(page "${before}${part}${after}")
  endwhile()
  # A marker left over, misspelt or without its other half, would leave a
  # part where it does not belong.
  if(page MATCHES "\n\\.\\\\\" *(end *)?(POSIX|Windows)[^\n]*")
    message(FATAL_ERROR "doc/pagerange.1.in: a marker of a part is left over: ${CMAKE_MATCH_0}")
  endif()
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
