# Sends the staged module a QUERY through the host and asks the host's
# --explain --json about the same staged catalogue; fails unless both list the
# same products in the same order with the same verdicts, and unless the
# catalogue has products found and products missing here (so the comparison
# decides something).
#   EMULATOR, HOST     launcher and program
cmake_minimum_required(VERSION 3.20)

execute_process(COMMAND "${EMULATOR}" "${HOST}" --raw RESULT_VARIABLE rc OUTPUT_VARIABLE response)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "QUERY run failed (${rc}):\n${response}")
endif()
execute_process(COMMAND "${EMULATOR}" "${HOST}" --explain --json RESULT_VARIABLE rc OUTPUT_VARIABLE json)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "--explain --json failed (${rc}):\n${json}")
endif()

set(from_query "")
string(REGEX MATCHALL "itemGUID=\"[^\"]*\" isInstalled=\"[01]\" itemType=\"[0-2]\"" items "${response}")
foreach(item ${items})
  string(REGEX REPLACE "itemGUID=\"([^\"]*)\" isInstalled=\"([01])\" itemType=\"([0-2])\"" "\\3 \\1 \\2" row "${item}")
  list(APPEND from_query "${row}")
endforeach()

set(from_explain "")
string(JSON count LENGTH "${json}" products)
math(EXPR last "${count} - 1")
foreach(i RANGE ${last})
  string(JSON group GET "${json}" products ${i} group)
  string(JSON guid GET "${json}" products ${i} guid)
  string(JSON installed GET "${json}" products ${i} installed)
  if(installed)
    list(APPEND from_explain "${group} ${guid} 1")
  else()
    list(APPEND from_explain "${group} ${guid} 0")
  endif()
endforeach()

string(REPLACE ";" "\n" query_rows "${from_query}")
string(REPLACE ";" "\n" explain_rows "${from_explain}")
message("QUERY:\n${query_rows}\n--explain:\n${explain_rows}")
if(NOT from_query STREQUAL from_explain)
  message(FATAL_ERROR "the explanation's verdicts differ from the module's answer")
endif()
if(NOT query_rows MATCHES " 1(\n|$)" OR NOT query_rows MATCHES " 0(\n|$)")
  message(FATAL_ERROR "the catalogue must have products found and products missing here")
endif()
