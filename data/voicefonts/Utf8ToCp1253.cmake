# Converts a UTF-8 text file to Windows-1253, the code page in which the
# engine reads its voice fonts.
#   cmake -DINPUT=<utf-8 file> -DOUTPUT=<windows-1253 file> -P Utf8ToCp1253.cmake
# ASCII passes unchanged, a byte-order mark at the start is dropped, and
# every other character of Windows-1253 (Greek letters and accents,
# punctuation, signs) becomes its byte. Any other character, malformed
# UTF-8 and the zero character stop the conversion with "file:line: reason"
# and leave no output.
if(NOT DEFINED INPUT OR NOT DEFINED OUTPUT)
  message(FATAL_ERROR "usage: cmake -DINPUT=<file> -DOUTPUT=<file> -P Utf8ToCp1253.cmake")
endif()

# The Windows-1253 byte of a code point above 127, or 0 when it has none.
function(tm_cp1253_byte cp result)
  set(byte 0)
  if(cp EQUAL 900)                                   # U+0384 tonos
    set(byte 180)
  elseif(cp EQUAL 901)                               # U+0385 dialytika tonos
    set(byte 161)
  elseif(cp EQUAL 902)                               # U+0386 Alpha with tonos
    set(byte 162)
  elseif(cp GREATER_EQUAL 904 AND cp LESS_EQUAL 906) # U+0388..U+038A
    math(EXPR byte "${cp} - 904 + 184")
  elseif(cp EQUAL 908)                               # U+038C Omicron with tonos
    set(byte 188)
  elseif(cp GREATER_EQUAL 910 AND cp LESS_EQUAL 929) # U+038E..U+03A1
    math(EXPR byte "${cp} - 912 + 192")
  elseif(cp GREATER_EQUAL 931 AND cp LESS_EQUAL 974) # U+03A3..U+03CE
    math(EXPR byte "${cp} - 931 + 211")
  elseif(cp EQUAL 8213)                              # U+2015 horizontal bar
    set(byte 175)
  elseif(cp EQUAL 402)                               # U+0192 f with hook
    set(byte 131)
  elseif(cp GREATER_EQUAL 8192)
    # Punctuation and signs of 0x80..0x9F: code point, byte.
    set(pairs 8364 128  8218 130  8222 132  8230 133  8224 134  8225 135  8240 137  8249 139
              8216 145  8217 146  8220 147  8221 148  8226 149  8211 150  8212 151  8482 153
              8250 155)
    list(LENGTH pairs count)
    math(EXPR last "${count} - 1")
    foreach(k RANGE 0 ${last} 2)
      list(GET pairs ${k} code)
      if(cp EQUAL code)
        math(EXPR at "${k} + 1")
        list(GET pairs ${at} byte)
      endif()
    endforeach()
  else()
    # Latin-1 signs at the same place in both code pages.
    foreach(shared 160 163 164 165 166 167 168 169 171 172 173 174 176 177 178 179 181 182 183
                   187 189)
      if(cp EQUAL shared)
        set(byte ${cp})
      endif()
    endforeach()
  endif()
  set(${result} ${byte} PARENT_SCOPE)
endfunction()

file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" length)
get_filename_component(name "${INPUT}" NAME)
set(out "")
set(line 1)
set(i 0)
if(hex MATCHES "^efbbbf")
  set(i 6)
endif()
while(i LESS length)
  string(SUBSTRING "${hex}" ${i} 2 pair)
  math(EXPR lead "0x${pair}")
  math(EXPR i "${i} + 2")
  if(lead EQUAL 0)
    message(FATAL_ERROR "${name}:${line}: the zero character")
  elseif(lead LESS 128)
    string(ASCII ${lead} char)
    string(APPEND out "${char}")
    if(lead EQUAL 10)
      math(EXPR line "${line} + 1")
    endif()
    continue()
  endif()
  # A sequence of two or three bytes.
  if(lead GREATER_EQUAL 194 AND lead LESS 224)
    set(more 1)
    math(EXPR cp "${lead} & 31")
  elseif(lead GREATER_EQUAL 224 AND lead LESS 240)
    set(more 2)
    math(EXPR cp "${lead} & 15")
  else()
    message(FATAL_ERROR "${name}:${line}: malformed UTF-8 or a character not in Windows-1253")
  endif()
  foreach(k RANGE 1 ${more})
    if(NOT i LESS length)
      message(FATAL_ERROR "${name}:${line}: malformed UTF-8 at the end of the file")
    endif()
    string(SUBSTRING "${hex}" ${i} 2 pair)
    math(EXPR next "0x${pair}")
    if(next LESS 128 OR next GREATER_EQUAL 192)
      message(FATAL_ERROR "${name}:${line}: malformed UTF-8")
    endif()
    math(EXPR cp "(${cp} << 6) | (${next} & 63)")
    math(EXPR i "${i} + 2")
  endforeach()
  tm_cp1253_byte(${cp} byte)
  if(byte EQUAL 0)
    math(EXPR shown "${cp}" OUTPUT_FORMAT HEXADECIMAL)
    message(FATAL_ERROR "${name}:${line}: the character ${shown} is not in Windows-1253")
  endif()
  string(ASCII ${byte} char)
  string(APPEND out "${char}")
endwhile()

get_filename_component(folder "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${folder}")
file(WRITE "${OUTPUT}.part" "${out}")
file(RENAME "${OUTPUT}.part" "${OUTPUT}")
