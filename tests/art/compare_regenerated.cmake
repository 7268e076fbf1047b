# Runs bexaran-art into OUT and compares every file it writes with the committed one.
# Usage: cmake -DTOOL=... -DSOURCE=... -DOUT=... -P compare_regenerated.cmake
file(REMOVE_RECURSE ${OUT})
execute_process(COMMAND ${TOOL} ${OUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "bexaran-art failed: ${status}")
endif()
set(stale "")
foreach(name shell/keeper.png shell/tiles.png shell/boxes.png shell/bexaran.ico
             shell/bexaran-small.ico web/icon-192.png web/icon-512.png docs/contact-sheet.png)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT}/${name} ${SOURCE}/${name}
                  RESULT_VARIABLE differs)
  if(NOT differs EQUAL 0)
    list(APPEND stale ${name})
  endif()
endforeach()
if(stale)
  message(FATAL_ERROR "Out of date with the drawing code: ${stale}\n"
                      "Rebuild them with: cmake --build <build> --target art-update")
endif()
