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
set(CPACK_TARVELO_SIDE_PICTURE ${TARVELO_ART_DIR}/installer_side.bmp)

# The same bytes from every build of one commit (reproducible.cmake).
# Debian's Python, as for the end-to-end tests: its zlib compresses the zips.
find_program(TARVELO_PACKAGE_PYTHON NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH)
if(NOT TARVELO_PACKAGE_PYTHON)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  set(TARVELO_PACKAGE_PYTHON ${Python3_EXECUTABLE} CACHE FILEPATH "Python that gives the packages their fixed form" FORCE)
endif()
set(CPACK_TARVELO_PYTHON ${TARVELO_PACKAGE_PYTHON})
set(CPACK_TARVELO_SOURCE_DATE_EPOCH ${TARVELO_SOURCE_DATE_EPOCH})
# Signing first: the files' dates are set after it.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/sign.cmake ${CMAKE_CURRENT_LIST_DIR}/reproducible.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/reproducible.cmake)

# Where the packages are published, for the winget and Scoop manifests that
# scripts/package writes beside them (manifests.py): {version} and {file}
# stand for the version and a package's file name.
set(TARVELO_PROJECT_URL "https://github.com/Hobrast/Tarvelo" CACHE STRING "The project's home page")
set(TARVELO_RELEASE_URL "${TARVELO_PROJECT_URL}/releases/download/v{version}/{file}" CACHE STRING
  "Download address of a released package, with {version} and {file}")
# winget knows an installed program by its uninstall key's name.
tarvelo_header_text(_uninstall_key packaging/NSIS.template.in UNINSTALL_KEY)
if(NOT _uninstall_key MATCHES "\\\\\\$\\{PRODUCT\\}$")
  message(FATAL_ERROR "packaging: the uninstall key ${_uninstall_key} is no longer named after the product")
endif()
set(_product_code ${CPACK_PACKAGE_NAME})
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/packaging/release.json @ONLY CONTENT [=[{
  "name": "@CPACK_PACKAGE_NAME@",
  "publisher": "@CPACK_PACKAGE_VENDOR@",
  "version": "@PROJECT_VERSION@",
  "summary": "@CPACK_PACKAGE_DESCRIPTION_SUMMARY@",
  "copyright": "@CPACK_TARVELO_COPYRIGHT@",
  "exe": "@CPACK_TARVELO_EXE@",
  "product_code": "@_product_code@",
  "project_url": "@TARVELO_PROJECT_URL@",
  "release_url": "@TARVELO_RELEASE_URL@",
  "source_date_epoch": "@TARVELO_SOURCE_DATE_EPOCH@"
}
]=])

# The texts beside the program, with Windows line ends for Notepad.
set(_texts ${CMAKE_BINARY_DIR}/packaging)
configure_file(${CMAKE_CURRENT_LIST_DIR}/README.txt.in ${_texts}/README.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${CMAKE_SOURCE_DIR}/LICENSE ${_texts}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)

install(TARGETS Tarvelo RUNTIME DESTINATION .)
install(FILES ${TARVELO_ART_DIR}/form.png ${_texts}/README.txt ${_texts}/LICENSE.txt DESTINATION .)

# The package needs the program only, not the tests.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
include(CPack)
