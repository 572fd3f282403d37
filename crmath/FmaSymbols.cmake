# Fails unless every global symbol of the FMA unit's object lies in
# crmath::detail::fma. A weak or shared definition of anything else (an
# inline constructor, a template instance) could be the copy the linker keeps
# for code built for every x86-64, and that copy would use instructions a
# processor without FMA does not have. Type descriptions are data, the same
# from every unit (the undefined-behaviour sanitizer's function checks emit
# them). Run as
#   cmake -DNM=nm -DOBJECTS=Fma.cpp.o -P FmaSymbols.cmake
execute_process(COMMAND ${NM} -C --defined-only ${OBJECTS} OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${NM} could not read ${OBJECTS}")
endif()
string(REPLACE "\n" ";" lines "${symbols}")
set(own 0)
foreach(line IN LISTS lines)
  # "address type name": upper-case types are global, u unique, i indirect.
  if(line MATCHES "^[0-9a-fA-F]* *([A-Zui]) (.*)$")
    set(type ${CMAKE_MATCH_1})
    set(name "${CMAKE_MATCH_2}")
    if(name MATCHES "^crmath::detail::fma::")
      math(EXPR own "${own} + 1")
    elseif(NOT name MATCHES "^typeinfo (name )?for ")
      message(SEND_ERROR "the FMA unit defines ${name} (${type}) outside crmath::detail::fma")
    endif()
  endif()
endforeach()
if(own EQUAL 0)
  message(FATAL_ERROR "no symbol of crmath::detail::fma in ${OBJECTS}: not the FMA unit?")
endif()
message(STATUS "${own} symbols in crmath::detail::fma")
