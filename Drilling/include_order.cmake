# Checks that the files of one library of the drilling program include no
# header against the order of its libraries (Drilling/CMakeLists.txt):
#   cmake -DLIST=<library>.include_order.cmake -DSTAMP=<stamp> -P include_order.cmake
# LIST sets LAYER (the library), BELOW (the library under it), FILES (its
# files) and ALLOWED (the headers of this tree it may include: its own and
# those of the libraries below it). A quoted include must be one of ALLOWED
# or a header directly in common/ (common/qt/ is the Qt host, which this code
# never sees). Every offending include is named, then the check fails; the
# stamp is written only when all is well.
cmake_minimum_required(VERSION 3.25)
include(${LIST})

set(problems "")
foreach(file IN LISTS FILES)
  file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*$" "\\1" header "${line}")
    if(header IN_LIST ALLOWED OR header MATCHES "^common/[^/]+$")
      continue()
    endif()
    list(APPEND problems "  ${file} includes ${header}")
  endforeach()
endforeach()

if(problems)
  list(JOIN problems "\n" text)
  message(FATAL_ERROR
    "Include against the order of the drilling program's libraries:\n${text}\n"
    "${LAYER} may include its own headers, those of ${BELOW} and the libraries below it, "
    "and common/ (see Drilling/CMakeLists.txt).")
endif()
file(TOUCH ${STAMP})
