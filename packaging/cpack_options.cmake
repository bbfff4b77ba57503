# Read by cpack once per generator: the package's file name follows the
# version (which `cpack -D CPACK_PACKAGE_VERSION=...` may replace) and the kind
# of package. The zip's top folder takes the same name.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION}-setup")
else()
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION}-${CPACK_TARVELO_PLATFORM}")
endif()

# Signatures, when scripts/package --pkcs12 asked for them (sign.sh): makensis
# signs the uninstaller before it is packed and the installer once written.
set(CPACK_TARVELO_NSIS_SIGNING "")
if(DEFINED ENV{TARVELO_SIGN_PKCS12})
  set(_sign "bash \"${CMAKE_CURRENT_LIST_DIR}/sign.sh\" \"%1\" \"${CPACK_PACKAGE_NAME}\"")
  set(CPACK_TARVELO_NSIS_SIGNING "!uninstfinalize '${_sign}' = 0\n!finalize '${_sign}' = 0")
endif()
