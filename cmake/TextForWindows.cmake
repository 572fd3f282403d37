# cmake -DIN=GUIDE.md -DOUT=GUIDE.txt -P TextForWindows.cmake
#
# The users' guide as plain text that reads well in Windows' own editor, in
# a fixed or a proportional font, with its word wrap on or off: no Markdown
# marks, the title on the first line, "■" before a chapter and 【】 round a
# section, list items after a "・", tables as lists (a short first cell and
# the second as "item：explanation", longer rows as the first cell with the
# others on indented lines, each after its column's header when there are
# three columns or more), no blanks that line anything up. A line is at most
# 76 columns wide (a wide character takes two) and is broken only after a
# 、 or a 。 outside brackets, so that no word, message or quoted text is cut
# in two and a search finds it; text with no such place within the width
# stops the build. UTF-8 with a byte order mark, CR LF line ends.
#
# It knows the Markdown the guide uses: "#", "##" and "###" headings,
# paragraphs of one or more lines, "- " and "1. " list items with their
# indented continuation lines, "> " quotes, blocks indented by four spaces
# (kept as they are), tables, and `code`, **strong** and [links](...) inline.
cmake_minimum_required(VERSION 3.25)

set(width 76)

# Lists are strings split at ";", and "[", "]" and "\" change how they split:
# the text carries these four as control characters until it is written.
string(ASCII 1 semicolon)
string(ASCII 2 open)
string(ASCII 3 close)
string(ASCII 4 backslash)
# `Code` is kept on one line: it is held between these two until then.
string(ASCII 5 glue_open)
string(ASCII 6 glue_close)
# UTF-8: a character is one byte below 0x80, or a lead byte (0xC0 to 0xFF)
# and continuation bytes (0x80 to 0xBF). Every character of more than one
# byte is taken as wide.
string(ASCII 128 cont_first)
string(ASCII 191 cont_last)
string(ASCII 192 lead_first)
string(ASCII 255 lead_last)
set(cont "[${cont_first}-${cont_last}]")
set(lead "[${lead_first}-${lead_last}]")
set(wide "${lead}${cont}*")
# Brackets, for what lies inside them; the marks a line may end with.
set(openers "（「『【［〔〈《(${open}")
set(closers "）」』】］〕〉》)${close}")
set(stops "、。")

# display_width(OUT TEXT): the columns TEXT takes.
function(display_width out text)
  string(REGEX REPLACE "[${glue_open}${glue_close}]" "" text "${text}")
  string(REGEX REPLACE "${cont}" "" chars "${text}")
  string(REGEX REPLACE "${lead}" "" narrow "${chars}")
  string(LENGTH "${chars}" all)
  string(LENGTH "${narrow}" n)
  math(EXPR w "2 * ${all} - ${n}")
  set(${out} ${w} PARENT_SCOPE)
endfunction()

# inline(OUT TEXT): TEXT without its inline marks.
function(inline out text)
  string(REPLACE "**" "" text "${text}")
  string(REGEX REPLACE "`([^`]*)`" "${glue_open}\\1${glue_close}" text "${text}")
  string(REGEX REPLACE "${open}([^${close}]*)${close}\\([^)]*\\)" "\\1" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# written(OUT TEXT): TEXT as it will be written, for a message.
function(written out text)
  string(REPLACE "${semicolon}" ";" text "${text}")
  string(REPLACE "${open}" "[" text "${text}")
  string(REPLACE "${close}" "]" text "${text}")
  string(REPLACE "${backslash}" "\\" text "${text}")
  string(REGEX REPLACE "[${glue_open}${glue_close}]" "" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# wrap(OUT TEXT COLUMNS): TEXT broken into lines of at most COLUMNS, only
# after a 、 or a 。 that stands outside brackets (with any closing marks
# that follow it): into as few lines as can be, then with as few of them
# ending in a 、 as can be (a sentence that does not fit where the line has
# got to begins the next), then with the lines as even as can be.
function(wrap out text columns)
  string(REGEX MATCHALL "${glue_open}[^${glue_close}]*${glue_close}|${wide}|[^${lead_first}-${lead_last}${cont_first}-${cont_last}]"
         chars "${text}")
  # The phrases: the text cut after each such 、 and 。.
  set(n 0)
  set(phrase_0 "")
  set(depth 0)
  set(ended 0)
  foreach(c IN LISTS chars)
    string(FIND "${closers}" "${c}" closing)
    if(ended AND closing EQUAL -1)
      math(EXPR n "${n} + 1")
      set(phrase_${n} "")
      set(ended 0)
    endif()
    string(APPEND phrase_${n} "${c}")
    string(FIND "${openers}" "${c}" opening)
    string(FIND "${stops}" "${c}" stop)
    if(opening GREATER -1)
      math(EXPR depth "${depth} + 1")
    elseif(closing GREATER -1 AND depth GREATER 0)
      math(EXPR depth "${depth} - 1")
    elseif(stop GREATER -1 AND depth EQUAL 0)
      set(ended 1)
      set(comma_${n} 0)
      if(c STREQUAL "、")
        set(comma_${n} 1)
      endif()
    endif()
  endforeach()
  math(EXPR n "${n} + 1")

  # cost_I: the least cost of setting phrases 0 to I - 1, their last line
  # beginning with phrase from_I.
  set(cost_0 0)
  foreach(i RANGE 1 ${n})
    math(EXPR last "${i} - 1")
    set(line "")
    set(cost_${i} -1)
    foreach(j RANGE ${last} 0 -1)
      string(PREPEND line "${phrase_${j}}")
      string(REGEX REPLACE "^ +" "" trimmed "${line}")
      string(REGEX REPLACE " +$" "" trimmed "${trimmed}")
      display_width(w "${trimmed}")
      if(w GREATER columns AND j LESS last)
        break()
      endif()
      math(EXPR cost "${cost_${j}} + 100000000")
      if(w GREATER columns)
        set(cost 1000000000000)  # one phrase too wide: told below
      elseif(i LESS n)
        math(EXPR cost "${cost} + 100000 * ${comma_${last}} + (${columns} - ${w}) * (${columns} - ${w})")
      endif()
      if(cost_${i} EQUAL -1 OR cost LESS cost_${i})
        set(cost_${i} ${cost})
        set(from_${i} ${j})
        set(line_${i} "${trimmed}")
      endif()
    endforeach()
  endforeach()

  set(lines "")
  set(i ${n})
  while(i GREATER 0)
    display_width(w "${line_${i}}")
    if(w GREATER columns)
      written(shown "${line_${i}}")
      set_property(GLOBAL APPEND_STRING PROPERTY too_wide "\n  ${shown}")
    endif()
    list(PREPEND lines "${line_${i}}")
    set(i ${from_${i}})
  endwhile()
  set(${out} "${lines}" PARENT_SCOPE)
endfunction()

# emit(TEXT FIRST REST): TEXT wrapped, its first line after FIRST and the
# others after REST, appended to the output.
macro(emit text first rest)
  display_width(_indent "${first}")
  math(EXPR _room "${width} - ${_indent}")
  wrap(_lines "${text}" ${_room})
  set(_prefix "${first}")
  foreach(_l IN LISTS _lines)
    list(APPEND output "${_prefix}${_l}")
    set(_prefix "${rest}")
  endforeach()
endmacro()

# blank_line(): one empty line, never two, none at the top.
macro(blank_line)
  list(LENGTH output _n)
  if(_n GREATER 0)
    list(GET output -1 _last)
    if(NOT _last STREQUAL "")
      list(APPEND output "")
    endif()
  endif()
endmacro()

# table(): the rows gathered in `rows`, as a list in `output`: when every
# first cell of a table of two columns is short, each row is one item,
# "first：second"; otherwise each row is its first cell with the others on
# indented lines below it, after their column's header when there are three
# columns or more. Items of more than one line are set apart by an empty
# line.
macro(table)
  set(_r 0)
  set(_short 1)
  foreach(_row IN LISTS rows)
    if(_row MATCHES "^[ |:-]+$")
      continue()  # the separator row
    endif()
    string(REGEX REPLACE "^ *[|] *" "" _row "${_row}")
    string(REGEX REPLACE " *[|] *$" "" _row "${_row}")
    string(REGEX REPLACE " *[|] *" ";" _cells "${_row}")
    set(_c 0)
    foreach(_cell IN LISTS _cells)
      inline(_cell_${_r}_${_c} "${_cell}")
      math(EXPR _c "${_c} + 1")
    endforeach()
    display_width(_w "${_cell_${_r}_0}")
    if(_r GREATER 0 AND (_c GREATER 2 OR _w GREATER 16 OR _cell_${_r}_0 MATCHES "、"))
      set(_short 0)
    endif()
    math(EXPR _r "${_r} + 1")
  endforeach()
  math(EXPR _last_col "${_c} - 1")
  math(EXPR _last_row "${_r} - 1")

  set(_items "")
  set(_tall 0)
  foreach(_r RANGE 1 ${_last_row})
    list(LENGTH output _before)
    if(_short)
      emit("${_cell_${_r}_0}：${_cell_${_r}_1}" "  ・" "    ")
    else()
      emit("${_cell_${_r}_0}" "  ・" "    ")
      foreach(_c RANGE 1 ${_last_col})
        set(_label "")
        if(_last_col GREATER 1)
          set(_label "${_cell_0_${_c}}：")
        endif()
        display_width(_w "    ${_label}")
        string(REPEAT " " ${_w} _hang)
        emit("${_cell_${_r}_${_c}}" "    ${_label}" "${_hang}")
      endforeach()
    endif()
    list(LENGTH output _after)
    math(EXPR _height "${_after} - ${_before}")
    if(_height GREATER 1)
      set(_tall 1)
    endif()
    list(APPEND _items ${_after})
  endforeach()
  if(_tall)  # an empty line after each item but the last, from the end up
    list(REMOVE_AT _items -1)
    list(REVERSE _items)
    foreach(_at IN LISTS _items)
      list(INSERT output ${_at} "")
    endforeach()
  endif()
endmacro()

file(READ "${IN}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE ";" "${semicolon}" text "${text}")
string(REPLACE "[" "${open}" text "${text}")
string(REPLACE "]" "${close}" text "${text}")
string(REPLACE "\\" "${backslash}" text "${text}")
string(REGEX REPLACE "\n+$" "" text "${text}")
string(REPLACE "\n" ";" lines "${text}")
list(APPEND lines "")  # ends a table on the last line

set(output "")
set(rows "")
set(item_indent "")  # the continuation indent of the list item being read
foreach(line IN LISTS lines)
  if(line MATCHES "^[|]")
    list(APPEND rows "${line}")
    continue()
  endif()
  if(NOT rows STREQUAL "")
    blank_line()
    table()
    set(rows "")
  endif()

  if(line STREQUAL "")
    blank_line()
    set(item_indent "")
  elseif(line MATCHES "^# (.*)")
    inline(title "${CMAKE_MATCH_1}")
    list(APPEND output "${title}" "")
  elseif(line MATCHES "^## (.*)")
    inline(title "${CMAKE_MATCH_1}")
    blank_line()
    list(APPEND output "" "■ ${title}")
  elseif(line MATCHES "^### (.*)")
    inline(title "${CMAKE_MATCH_1}")
    blank_line()
    list(APPEND output "【${title}】")
  elseif(line MATCHES "^    (.*)" AND item_indent STREQUAL "")
    list(APPEND output "    ${CMAKE_MATCH_1}")  # as written, marks and all
  elseif(line MATCHES "^( *)- (.*)")
    set(level "${CMAKE_MATCH_1}")
    inline(body "${CMAKE_MATCH_2}")
    set(item_indent "  ${level}  ")
    emit("${body}" "  ${level}・" "${item_indent}")
  elseif(line MATCHES "^( *)([0-9]+[.]) (.*)")
    set(level "${CMAKE_MATCH_1}")
    set(number "${CMAKE_MATCH_2}")
    inline(body "${CMAKE_MATCH_3}")
    string(REGEX REPLACE "." " " blanks "${number}")
    set(item_indent "  ${level}${blanks} ")
    emit("${body}" "  ${level}${number} " "${item_indent}")
  elseif(line MATCHES "^> ?(.*)")
    inline(body "${CMAKE_MATCH_1}")
    emit("${body}" "    " "    ")
  elseif(NOT item_indent STREQUAL "" AND line MATCHES "^ +(.*)")
    inline(body "${CMAKE_MATCH_1}")
    emit("${body}" "${item_indent}" "${item_indent}")
  else()
    inline(body "${line}")
    emit("${body}" "" "")
  endif()
endforeach()
blank_line()

get_property(too_wide GLOBAL PROPERTY too_wide)
if(too_wide)
  message(FATAL_ERROR "${IN}: no 、 or 。 outside brackets to break these at within the width "
                      "(${width} columns, less the indent); add a 、 or make two sentences:${too_wide}")
endif()
list(JOIN output "\r\n" text)
written(text "${text}")
string(ASCII 239 187 191 bom)
file(WRITE "${OUT}" "${bom}${text}")
