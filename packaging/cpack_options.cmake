# Read by cpack once per generator: the package's file name follows the
# version (which `cpack -D CPACK_PACKAGE_VERSION=...` may replace) and the kind
# of package. The zip's top folder takes the same name.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION}-setup")
else()
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION}-${CPACK_TARVELO_PLATFORM}")
endif()
