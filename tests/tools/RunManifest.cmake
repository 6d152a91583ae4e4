# Build, decode and reject manifests with tallowin-manifest. -DTOOL=<path> -DWORK=<dir>
file(MAKE_DIRECTORY ${WORK})
file(WRITE ${WORK}/notes.txt "第一行\n修复问题")
execute_process(COMMAND ${TOOL} build --key KEYA --url "http://h/f/new%E7%89%88.exe" --version v1.2.0
                        --notes ${WORK}/notes.txt --forced -o ${WORK}/update.version
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "build gave ${rc}")
endif()
execute_process(COMMAND ${TOOL} decode --key KEYA ${WORK}/update.version
                RESULT_VARIABLE rc OUTPUT_VARIABLE out)
set(expected "url: http://h/f/new%E7%89%88.exe\nversion: v1.2.0\nnotes: 第一行\n修复问题\nforced: 真\nforced update: yes\n")
if(NOT rc EQUAL 0 OR NOT out STREQUAL expected)
  message(FATAL_ERROR "decode gave ${rc} and\n${out}\ninstead of\n${expected}")
endif()
# Another key, a trailing line break, a lower-case tag, a fifth field: exit 2.
file(READ ${WORK}/update.version manifest)
string(LENGTH "${manifest}" length)
math(EXPR cut "${length} - 9")
string(SUBSTRING "${manifest}" 0 ${cut} payload)
string(SUBSTRING "${manifest}" ${cut} 9 tag)
string(TOLOWER "${tag}" lowtag)
file(WRITE ${WORK}/crlf.version "${manifest}\r\n")
file(WRITE ${WORK}/lower.version "${payload}${lowtag}")
# "KEYA" XOR 0x10 is 5B 55 49 51: appending it and a field gives five fields.
file(WRITE ${WORK}/five.version "${payload}5B55495151${tag}")
foreach(case "--key;KEYB;${WORK}/update.version" "--key;KEYA;${WORK}/crlf.version"
             "--key;KEYA;${WORK}/five.version")
  execute_process(COMMAND ${TOOL} decode ${case} RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 2 OR NOT err MATCHES "not a valid manifest")
    message(FATAL_ERROR "decode ${case} gave ${rc}: ${err}")
  endif()
endforeach()
if(NOT tag STREQUAL lowtag)
  execute_process(COMMAND ${TOOL} decode --key KEYA ${WORK}/lower.version RESULT_VARIABLE rc)
  if(NOT rc EQUAL 2)
    message(FATAL_ERROR "a lower-case tag gave ${rc}")
  endif()
endif()
