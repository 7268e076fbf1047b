# Runs the level designer with the seed named in game/level_table.cpp and
# fails unless it writes exactly the committed table and solutions.
file(STRINGS ${SOURCE_DIR}/game/level_table.cpp seed_line REGEX "\\(seed [0-9]+\\)" LIMIT_COUNT 1)
string(REGEX MATCH "seed ([0-9]+)" _ "${seed_line}")
set(seed ${CMAKE_MATCH_1})
if(NOT seed)
  message(FATAL_ERROR "game/level_table.cpp names no seed")
endif()
execute_process(
  COMMAND ${DESIGNER} --seed ${seed} --quiet
          --table ${WORK_DIR}/remade_level_table.cpp
          --solutions ${WORK_DIR}/remade_solutions.txt
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the level designer failed: ${result}")
endif()
foreach(pair "game/level_table.cpp;remade_level_table.cpp" "tools/levelgen/solutions.txt;remade_solutions.txt")
  list(GET pair 0 committed)
  list(GET pair 1 remade)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files
                          ${SOURCE_DIR}/${committed} ${WORK_DIR}/${remade}
                  RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "${committed} differs from what the designer makes with seed ${seed}")
  endif()
endforeach()
