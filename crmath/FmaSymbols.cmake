# Fails unless the FMA unit's object in the library defines no global symbol
# but members of crmath::detail::TBuild<true>, and no other object defines
# any of these. Anything else defined there, weak or shared (an inline
# constructor, a template instance), could be the copy the linker keeps for
# code built for every x86-64, and that copy would use instructions a
# processor without FMA does not have. Type descriptions are data, the same
# from every unit (the undefined-behaviour sanitizer's function checks emit
# them). Run as
#   cmake -DNM=nm -DARCHIVE=libcrmath.a -P FmaSymbols.cmake
execute_process(COMMAND ${NM} -C --defined-only ${ARCHIVE} OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${NM} could not read ${ARCHIVE}")
endif()
string(REPLACE "\n" ";" lines "${symbols}")
set(member "")
set(own 0)
foreach(line IN LISTS lines)
  if(line MATCHES "^(.*\\.o(bj)?):$")
    set(member "${CMAKE_MATCH_1}")
  elseif(line MATCHES "^[0-9a-fA-F]* *([A-Zui]) (.*)$")  # upper case: global; u unique, i indirect
    set(type ${CMAKE_MATCH_1})
    set(name "${CMAKE_MATCH_2}")
    set(fma OFF)
    if(member MATCHES "Fma\\.cpp")
      set(fma ON)
    endif()
    if(name MATCHES "^crmath::detail::TBuild<true>::")
      if(fma)
        math(EXPR own "${own} + 1")
      else()
        message(SEND_ERROR "${member} defines ${name} (${type}), which only the FMA unit may")
      endif()
    elseif(fma AND NOT name MATCHES "^typeinfo (name )?for ")
      message(SEND_ERROR "the FMA unit defines ${name} (${type}), not a member of TBuild<true>")
    endif()
  endif()
endforeach()
if(own EQUAL 0)
  message(FATAL_ERROR "no member of TBuild<true> defined in the FMA unit of ${ARCHIVE}")
endif()
message(STATUS "${own} members of TBuild<true>, all in the FMA unit")
