# Pictures: drawn at build time by scripts/art into ${TARVELO_ART_DIR}. The
# resource scripts find them there (windres -I${TARVELO_ART_DIR}); form.png is
# installed beside the executable instead. ${TARVELO_ART_DIR}/reference holds
# the pictures as uncompressed BMP and icon for the in-process tests.
#
# The generator needs PIL. Debian ships it for the system interpreter, which a
# python3 earlier on PATH (pyenv, a venv) may not see, so that one comes first.
# -B keeps the build from leaving bytecode in the source tree.
find_program(TARVELO_ART_PYTHON NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH)
if(NOT TARVELO_ART_PYTHON)
  find_program(TARVELO_ART_PYTHON NAMES python3 REQUIRED)
endif()
execute_process(COMMAND ${TARVELO_ART_PYTHON} -c "import PIL"
  RESULT_VARIABLE _art_pil_missing OUTPUT_QUIET ERROR_QUIET)
if(_art_pil_missing)
  message(FATAL_ERROR "${TARVELO_ART_PYTHON} cannot import PIL (package python3-pil)")
endif()

set(TARVELO_ART_DIR ${CMAKE_BINARY_DIR}/art)
set(_art_script ${CMAKE_SOURCE_DIR}/scripts/art/draw_all.py)
file(GLOB _art_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/scripts/art/*.py)
set(TARVELO_ART_FILES "")
foreach(_name form.png tarvelo.ico reference/tarvelo.ico installer_side.bmp)
  list(APPEND TARVELO_ART_FILES ${TARVELO_ART_DIR}/${_name})
endforeach()
# The pictures at 100 %, and at 150 and 200 % with the scale in the name.
foreach(_scale "" _150 _200)
  foreach(_name buttons buttons_mask close close_mask logo emblem wordmark)
    list(APPEND TARVELO_ART_FILES ${TARVELO_ART_DIR}/${_name}${_scale}.png
      ${TARVELO_ART_DIR}/reference/${_name}${_scale}.bmp)
  endforeach()
endforeach()

add_custom_command(
  OUTPUT ${TARVELO_ART_FILES}
  COMMAND ${TARVELO_ART_PYTHON} -B ${_art_script} --out ${TARVELO_ART_DIR}
  DEPENDS ${_art_sources}
  COMMENT "Drawing the pictures"
  VERBATIM)
add_custom_target(tarvelo_art ALL DEPENDS ${TARVELO_ART_FILES})

add_test(NAME art.check COMMAND ${TARVELO_ART_PYTHON} -B ${_art_script} --check ${TARVELO_ART_DIR})
