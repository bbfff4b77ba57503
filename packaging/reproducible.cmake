# Run by CPack before packaging (the files installed into the staging folder
# dated at the source's time) and after (each zip written again in a fixed
# form): see reproducible.py. Without a source time, packages stay as made.
if(NOT CPACK_TARVELO_SOURCE_DATE_EPOCH)
  return()
endif()
if(DEFINED CPACK_PACKAGE_FILES)
  set(_work)
  foreach(_package IN LISTS CPACK_PACKAGE_FILES)
    if(_package MATCHES "\\.zip$")
      list(APPEND _work "zip;${_package}")
    endif()
  endforeach()
else()
  set(_work "stamp;${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
  # makensis stores the date of the pages' picture as well: the installer
  # takes a copy dated like the rest (this script runs in the generator's
  # scope, before the installer script is written).
  if(CPACK_TARVELO_SIDE_PICTURE AND CPACK_TOPLEVEL_DIRECTORY)
    set(_picture "${CPACK_TOPLEVEL_DIRECTORY}/installer_side.bmp")
    file(COPY_FILE "${CPACK_TARVELO_SIDE_PICTURE}" "${_picture}")
    set(CPACK_TARVELO_SIDE_PICTURE "${_picture}")
    list(APPEND _work "stamp;${_picture}")
  endif()
endif()
while(_work)
  list(POP_FRONT _work _command _path)
  execute_process(COMMAND "${CPACK_TARVELO_PYTHON}" -B "${CMAKE_CURRENT_LIST_DIR}/reproducible.py"
                          ${_command} "${_path}" ${CPACK_TARVELO_SOURCE_DATE_EPOCH}
                  RESULT_VARIABLE _failed)
  if(_failed)
    message(FATAL_ERROR "reproducible.py ${_command} ${_path} failed")
  endif()
endwhile()
