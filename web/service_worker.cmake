# Writes OUTPUT: the service worker TEMPLATE with its version set from the
# contents of FILES (comma-separated paths: the page and everything it keeps),
# so any change to the page makes a new worker and a new cache.
string(REPLACE "," ";" FILES "${FILES}")
set(digests "")
foreach(file ${FILES})
  file(SHA256 ${file} digest)
  string(APPEND digests "${digest}")
endforeach()
string(SHA256 version "${digests}")
string(SUBSTRING "${version}" 0 16 version)
file(READ ${TEMPLATE} worker)
string(REPLACE "@BEXARAN_PAGE_VERSION@" "${version}" worker "${worker}")
file(WRITE ${OUTPUT} "${worker}")
