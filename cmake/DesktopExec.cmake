# The Exec line of a desktop entry for the program at `path`: quoted only when
# the path holds reserved characters (the generic xdg-open reads Exec unquoted);
# then \ " ` $ are escaped and every backslash doubled again. The one place
# this quoting is written: scripts/run.sh installs the entry made here for the
# build folder.
function(sorvel_desktop_exec out path)
  set(exec "${path}")
  if(exec MATCHES "[ \t\"'\\<>~|&;$*?#()`]")
    foreach(special "\\" "\"" "`" "$")
      string(REPLACE "${special}" "\\${special}" exec "${exec}")
    endforeach()
    string(REPLACE "\\" "\\\\" exec "${exec}")
    set(exec "\"${exec}\"")
  endif()
  string(REPLACE "%" "%%" exec "${exec}")
  set(${out} "${exec}" PARENT_SCOPE)
endfunction()
