# Run by CPack before packaging when scripts/package --pkcs12 asked for
# signatures (TARVELO_SIGN_PKCS12 in the environment): every program in the
# staging folder is signed, so the zip and the installer carry it signed.
if(NOT DEFINED ENV{TARVELO_SIGN_PKCS12})
  return()
endif()
file(GLOB_RECURSE _programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*.exe")
foreach(_program IN LISTS _programs)
  execute_process(COMMAND bash "${CMAKE_CURRENT_LIST_DIR}/sign.sh" "${_program}" "${CPACK_PACKAGE_NAME}"
                  RESULT_VARIABLE _failed)
  if(_failed)
    message(FATAL_ERROR "could not sign ${_program}")
  endif()
endforeach()
