# Puts together, at build time, what the setup program and the portable zip ship, and makes
# the zip. Run with cmake -P and these variables:
#   PROGRAM    horalux.exe as built; STRIP the tool that strips it
#   HOSTLIST   the default host list; README the README (Markdown); LICENSE the licence, if any
#   STAGE      the folder to fill; ZIP the portable zip to write
# The zip holds one folder, Horalux, with the program, the host list beside it (the program
# reads it from the folder it starts in, which for a program started from Explorer is its
# own), README.txt and the licence, with Windows line ends.
foreach(variable PROGRAM STRIP HOSTLIST README STAGE ZIP)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "stage.cmake: ${variable} is not set")
  endif()
endforeach()

function(copy_as_windows_text source destination)
  file(READ "${source}" text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE "${destination}" "${text}")
endfunction()

set(folder "${STAGE}/Horalux")
file(REMOVE_RECURSE "${STAGE}")
file(MAKE_DIRECTORY "${folder}")
file(COPY_FILE "${PROGRAM}" "${folder}/horalux.exe")
execute_process(COMMAND "${STRIP}" "${folder}/horalux.exe" COMMAND_ERROR_IS_FATAL ANY)
# Copied byte for byte: the program reads CR LF line ends and the file has them.
file(COPY_FILE "${HOSTLIST}" "${folder}/server.lst")
copy_as_windows_text("${README}" "${folder}/README.txt")
if(LICENSE AND EXISTS "${LICENSE}")
  copy_as_windows_text("${LICENSE}" "${folder}/LICENSE.txt")
endif()

file(REMOVE "${ZIP}")
execute_process(COMMAND "${CMAKE_COMMAND}" -E tar cf "${ZIP}" --format=zip Horalux
                WORKING_DIRECTORY "${STAGE}" COMMAND_ERROR_IS_FATAL ANY)
