# Writes OUTPUT: the files in PARTS (comma-separated paths) one after another.
string(REPLACE "," ";" PARTS "${PARTS}")
set(whole "")
foreach(part ${PARTS})
  file(READ ${part} code)
  string(APPEND whole "${code}\n")
endforeach()
file(WRITE ${OUTPUT} "${whole}")
