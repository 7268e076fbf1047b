# Writes OUTPUT, a C++ file holding the bytes of the PNG files given as
# NAMES (symbol names) and FILES (paths), both comma-separated, each as
# NAMEPng[] and NAMEPngSize.
# Run with cmake -P at build time, so a changed picture rebuilds the page.
set(text "// Written by web/embed.cmake from the shell's pictures; do not edit.\n")
string(APPEND text "#include \"web/sheets.h\"\n")
string(REPLACE "," ";" NAMES "${NAMES}")
string(REPLACE "," ";" FILES "${FILES}")
list(LENGTH NAMES count)
math(EXPR last "${count} - 1")
foreach(i RANGE ${last})
  list(GET NAMES ${i} name)
  list(GET FILES ${i} file)
  file(READ ${file} hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND text "const unsigned char ${name}Png[] = {${bytes}};\n")
  string(APPEND text "const uint32_t ${name}PngSize = ${size};\n")
endforeach()
file(WRITE ${OUTPUT} "${text}")
