# Writes OUTPUT: the page TEMPLATE with each <script src="NAME"></script> of
# the files in SCRIPTS (comma-separated paths) replaced by the script itself,
# so the whole game arrives in one response and starts without further
# requests (the module's wasm is inside its script as base64).
file(READ ${TEMPLATE} page)
string(REPLACE "," ";" SCRIPTS "${SCRIPTS}")
foreach(script ${SCRIPTS})
  get_filename_component(name ${script} NAME)
  file(READ ${script} code)
  string(FIND "${code}" "</script" closing)
  if(NOT closing EQUAL -1)
    message(FATAL_ERROR "${script} holds </script and cannot be inlined")
  endif()
  set(tag "<script src=\"${name}\"></script>")
  string(FIND "${page}" "${tag}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${TEMPLATE} has no ${tag}")
  endif()
  string(REPLACE "${tag}" "<script>\n${code}\n</script>" page "${page}")
endforeach()
file(WRITE ${OUTPUT} "${page}")
