# What a Windows user downloads: Tarvelo-<version>-win32.zip (or -win64.zip
# from the 64-bit build) to unpack anywhere, and Tarvelo-<version>-setup.exe,
# a per-user installer built from the same install rules by CPack's NSIS
# generator with the script in NSIS.template.in. `cpack --preset windows`
# (and `windows64`) or scripts/package make them in dist/.

# Names that the installer must share with the program, read from the
# headers that define them so that they are written once.
function(tarvelo_header_text out header name)
  file(STRINGS ${CMAKE_SOURCE_DIR}/${header} _lines REGEX "[ \t]${name}[ \t=]+\"")
  list(LENGTH _lines _count)
  if(NOT _count EQUAL 1 OR NOT _lines MATCHES "\"(.*)\"")
    message(FATAL_ERROR "packaging: no single text ${name} in ${header}")
  endif()
  string(REPLACE "\\\\" "\\" _text "${CMAKE_MATCH_1}")
  set(${out} "${_text}" PARENT_SCOPE)
endfunction()
tarvelo_header_text(CPACK_PACKAGE_NAME app/product.h TARVELO_TITLE)
tarvelo_header_text(CPACK_PACKAGE_VENDOR app/product.h TARVELO_COMPANY)
tarvelo_header_text(CPACK_PACKAGE_DESCRIPTION_SUMMARY app/product.h TARVELO_DESCRIPTION)
tarvelo_header_text(CPACK_TARVELO_COPYRIGHT app/product.h TARVELO_COPYRIGHT)
tarvelo_header_text(CPACK_TARVELO_EXE app/product.h TARVELO_EXE_NAME)
tarvelo_header_text(CPACK_TARVELO_MAIN_WINDOW_CLASS app/names.h kMainFormClass)
tarvelo_header_text(CPACK_TARVELO_RUN_KEY app/names.h kRunKeyPath)
tarvelo_header_text(CPACK_TARVELO_RUN_VALUE app/names.h kRunValueName)
tarvelo_header_text(CPACK_TARVELO_SETTINGS_KEY app/names.h kSettingsKeyPath)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/app/product.h ${CMAKE_SOURCE_DIR}/app/names.h)

# The installer carries the 32-bit program, the main product, only.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(CPACK_TARVELO_PLATFORM win64)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_TARVELO_PLATFORM win32)
  set(CPACK_GENERATOR ZIP NSIS)
endif()
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_SOURCE_DIR}/dist)
# The file names follow the generator and the version: see cpack_options.cmake.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/cpack_options.cmake)
# CPack takes NSIS.template.in from this folder instead of its own.
set(CPACK_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR})
set(CPACK_TARVELO_ICON ${TARVELO_ART_DIR}/tarvelo.ico)

# The texts beside the program, with Windows line ends for Notepad.
set(_texts ${CMAKE_BINARY_DIR}/packaging)
configure_file(${CMAKE_CURRENT_LIST_DIR}/README.txt.in ${_texts}/README.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${CMAKE_SOURCE_DIR}/LICENSE ${_texts}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)

install(TARGETS Tarvelo RUNTIME DESTINATION .)
install(FILES ${TARVELO_ART_DIR}/form.png ${_texts}/README.txt ${_texts}/LICENSE.txt DESTINATION .)

# The package needs the program only, not the tests.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
include(CPack)
