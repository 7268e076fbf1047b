# Writes the page's site into SITE from its sources, all stamped with one
# build version: the hash of everything that goes into the site. The page
# asks for the editor and the solver's worker by that version and the service
# worker keeps each build's files in a cache of that name, so a page open
# across an update goes on with the files of its own build.
#   SITE      the folder to write
#   SOURCE    web/ (index.html, page.js, editor.js, solver_worker.js, sw.js)
#   CORE      the game's module script (bexaran-core.js)
#   SOLVER    the solver's module script (bexaran-solver-worker.js)
#   STATIC    comma-separated files copied as they are (icons, manifest)
# Output: index.html with page.js and the core inlined; editor.js;
# solver-worker.js (solver_worker.js in front of the solver's module); sw.js
# with the version and the list of every file of the site.
string(REPLACE "," ";" STATIC "${STATIC}")
# The page's own scripts, written into index.html with the core's.
set(page_scripts ${SOURCE}/page.js ${SOURCE}/history.js ${SOURCE}/progress.js ${SOURCE}/pointing.js)
set(inputs ${SOURCE}/index.html ${page_scripts} ${CORE} ${SOURCE}/solver_client.js ${SOURCE}/notation.js ${SOURCE}/editor.js ${SOURCE}/levels.js ${SOURCE}/hint.js
           ${SOURCE}/solver_worker.js ${SOLVER} ${SOURCE}/sw.js ${STATIC})
set(digests "")
foreach(file ${inputs})
  file(SHA256 ${file} digest)
  string(APPEND digests "${digest}")
endforeach()
string(SHA256 version "${digests}")
string(SUBSTRING "${version}" 0 16 version)

function(stamped path out)
  file(READ ${path} text)
  string(REPLACE "@BEXARAN_PAGE_VERSION@" "${version}" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The page: each <script src="NAME"></script> replaced by the script itself,
# so the whole game arrives in one response and starts without further
# requests (the module's wasm is inside its script as base64).
file(READ ${SOURCE}/index.html page)
foreach(script ${page_scripts} ${CORE})
  get_filename_component(name ${script} NAME)
  stamped(${script} code)
  if(NOT script STREQUAL CORE)
    # Our own scripts travel without their comment lines and indentation:
    # the first load stays small, the sources keep them.
    string(REGEX REPLACE "\n[ \t]*//[^\n]*" "" code "${code}")
    string(REGEX REPLACE "\n[ \t]+" "\n" code "${code}")
  endif()
  string(FIND "${code}" "</script" closing)
  if(NOT closing EQUAL -1)
    message(FATAL_ERROR "${script} holds </script and cannot be inlined")
  endif()
  set(tag "<script src=\"${name}\"></script>")
  string(FIND "${page}" "${tag}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${SOURCE}/index.html has no ${tag}")
  endif()
  string(REPLACE "${tag}" "<script>\n${code}\n</script>" page "${page}")
endforeach()
file(WRITE ${SITE}/index.html "${page}")

# The editor's file carries the solver's client and the notation's reader and
# writer in front of it, the hint's the solver's client.
file(READ ${SOURCE}/solver_client.js client)
file(READ ${SOURCE}/notation.js notation)
stamped(${SOURCE}/editor.js text)
file(WRITE ${SITE}/editor.js "${client}\n${notation}\n${text}")
stamped(${SOURCE}/hint.js text)
file(WRITE ${SITE}/hint.js "${client}\n${text}")
stamped(${SOURCE}/levels.js text)
file(WRITE ${SITE}/levels.js "${text}")
stamped(${SOURCE}/solver_worker.js worker)
file(READ ${SOLVER} solver)
file(WRITE ${SITE}/solver-worker.js "${worker}\n${solver}\n")

set(names "\"./\"")
foreach(file ${STATIC})
  get_filename_component(name ${file} NAME)
  file(COPY_FILE ${file} ${SITE}/${name})
  string(APPEND names ", \"${name}\"")
endforeach()
string(APPEND names ", \"editor.js\", \"levels.js\", \"hint.js\", \"solver-worker.js\"")
stamped(${SOURCE}/sw.js service)
string(REPLACE "\"@BEXARAN_PAGE_FILES@\"" "${names}" service "${service}")
file(WRITE ${SITE}/sw.js "${service}")
