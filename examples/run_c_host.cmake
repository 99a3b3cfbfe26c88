# Runs the C host example as a user would: builds the made-up data set of the
# tests with `vantir build`, filters two hypotheses and checks the ranked texts.
# Called by CTest with VANTIR (the tool), HOST (c_host), DATA (the sources) and
# WORK (a scratch directory); in a cross build EMULATOR is the emulator command
# with its arguments joined by "|", since the target's programs cannot start alone.
string(REPLACE "|" ";" emulator "${EMULATOR}")
file(REMOVE_RECURSE ${WORK})
execute_process(COMMAND ${emulator} ${VANTIR} build ${DATA} -o ${WORK} RESULT_VARIABLE built
                OUTPUT_VARIABLE build_out ERROR_VARIABLE build_err)
if(NOT built EQUAL 0)
  message(FATAL_ERROR "vantir build failed: ${build_out}${build_err}")
endif()
# The best hypothesis lost its house number key; the second names the road
# without its district, which both districts of 光明路 complete.
execute_process(COMMAND ${emulator} ${HOST} ${WORK} "我 要 去 雲港市 東岸區 光明路 二段 十二" "雲港市 光明路 二段 十二 號"
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "c_host failed (${status}): ${out}${err}")
endif()
set(expected "1. 雲港市東岸區光明路二段\n2. 雲港市東岸區光明路二段12號\n3. 雲港市西岸區光明路二段12號\n")
if(NOT out STREQUAL expected)
  message(FATAL_ERROR "c_host printed\n${out}\nexpected\n${expected}")
endif()

# The same utterance as recogniser text: the text intake splits it into words.
execute_process(COMMAND ${emulator} ${HOST} --text ${WORK} "雲港市光明路二段十二號"
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
set(expected "1. 雲港市東岸區光明路二段12號\n2. 雲港市西岸區光明路二段12號\n")
if(NOT status EQUAL 0 OR NOT out STREQUAL expected)
  message(FATAL_ERROR "c_host --text printed (${status})\n${out}${err}\nexpected\n${expected}")
endif()

# A model of another build of the same sources (other options): as many words,
# another set. The host refuses the mix with the code of a bad blob.
file(REMOVE_RECURSE ${WORK}-other)
execute_process(COMMAND ${emulator} ${VANTIR} build ${DATA} -o ${WORK}-other --added-capacity 4
                RESULT_VARIABLE built OUTPUT_VARIABLE build_out ERROR_VARIABLE build_err)
if(NOT built EQUAL 0)
  message(FATAL_ERROR "vantir build failed: ${build_out}${build_err}")
endif()
file(COPY_FILE ${WORK}-other/model.lmb ${WORK}/model.lmb)
execute_process(COMMAND ${emulator} ${HOST} ${WORK} "雲港市 光明路 二段 十二 號"
                RESULT_VARIABLE mixed OUTPUT_VARIABLE mixed_out ERROR_VARIABLE mixed_err)
if(mixed EQUAL 0 OR NOT mixed_err MATCHES "cannot open .* \\(-103: ")
  message(FATAL_ERROR "c_host took a mixed set (${mixed}): ${mixed_out}${mixed_err}")
endif()
file(REMOVE_RECURSE ${WORK}-other)
