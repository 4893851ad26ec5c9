# The Exec line of the desktop entries for paths a build folder may have.
# Run with: cmake -P desktop-exec-test.cmake
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/DesktopExec.cmake)

function(expect path expected)
  sorvel_desktop_exec(exec "${path}")
  if(NOT exec STREQUAL expected)
    message(SEND_ERROR "Exec for [${path}] is [${exec}], expected [${expected}]")
  endif()
endfunction()

# A plain path stays unquoted: the generic xdg-open reads Exec without quotes.
expect("/usr/bin/sorvel" "/usr/bin/sorvel")
# A space needs the quotes.
expect("/home/a b/build/sorvel" "\"/home/a b/build/sorvel\"")
# Inside quotes \ " ` $ are escaped, and every backslash is doubled once more;
# % is written %% also without quotes.
expect("/tmp/a\"b/sorvel" "\"/tmp/a\\\\\"b/sorvel\"")
expect("/tmp/a$b/sorvel" "\"/tmp/a\\\\$b/sorvel\"")
expect("/tmp/a`b/sorvel" "\"/tmp/a\\\\`b/sorvel\"")
expect("/tmp/a\\b/sorvel" "\"/tmp/a\\\\\\\\b/sorvel\"")
expect("/tmp/50%/sorvel" "/tmp/50%%/sorvel")
