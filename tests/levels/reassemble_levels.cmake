# Runs the generator's choice over the committed pools and fails unless it
# writes exactly the committed table and solutions.
execute_process(
  COMMAND ${GENERATOR} choose --pool ${SOURCE_DIR}/tools/levelgen/pool-board.txt
          --pool ${SOURCE_DIR}/tools/levelgen/pool-joined.txt
          --table ${WORK_DIR}/reassembled_level_table.cpp
          --solutions ${WORK_DIR}/reassembled_solutions.txt
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the generator could not choose the levels: ${result}")
endif()
foreach(pair "game/level_table.cpp;reassembled_level_table.cpp"
             "tools/levelgen/solutions.txt;reassembled_solutions.txt")
  list(GET pair 0 committed)
  list(GET pair 1 remade)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files
                          ${SOURCE_DIR}/${committed} ${WORK_DIR}/${remade}
                  RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "${committed} differs from what the generator chooses from the pools")
  endif()
endforeach()
