# Writes the effect's property list, the PiPL resource the host reads before it loads the
# module, from the definitions in effect/plugin/version.h:
#
#   cmake -DVERSION_HEADER=effect/plugin/version.h -DVERSION_NUMBER_HEADER=<build>/.../version_number.h
#         -DCONSTANTS_HEADER=hostapi/host_constants.h -DOUTPUT=Velmora.pipl -P cmake/pipl.cmake
#
# The Linux build keeps the bytes beside the module; the Windows build embeds the same file as
# resource PiPL 16000 (effect/plugin/velmora.rc).
#
# Layout: a 16-bit 1, a 32-bit 0 and a 32-bit property count, then per property the vendor 8BIM,
# its key, a 32-bit 0, the data length and the data, zero-padded to a multiple of 4. Numbers are
# little-endian; a four-character code is the 32-bit number whose highest byte is its first
# character. String padding counts in the length; the two bytes after the 16-bit eINF do not.

cmake_minimum_required(VERSION 3.25)

foreach(var VERSION_HEADER VERSION_NUMBER_HEADER CONSTANTS_HEADER OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "pipl.cmake: -D${var}=... is required")
  endif()
endforeach()

# ---- Definitions: `#define NAME value` from version.h, `NAME = number` from the host's constants.

function(read_definitions header)
  file(READ ${header} text)
  string(REGEX REPLACE "\\\\\n" " " text "${text}")  # join continued lines
  string(REGEX MATCHALL "#define[ \t]+[A-Za-z_][A-Za-z0-9_]*[ \t]+[^\n]+" lines "${text}")
  foreach(line IN LISTS lines)
    string(REGEX MATCH "#define[ \t]+([A-Za-z_][A-Za-z0-9_]*)[ \t]+(.*)" _ "${line}")
    string(STRIP "${CMAKE_MATCH_2}" value)
    set(def_${CMAKE_MATCH_1} "${value}" PARENT_SCOPE)
  endforeach()
endfunction()

function(read_enumerators header)
  file(READ ${header} text)
  string(REGEX MATCHALL "[A-Za-z_][A-Za-z0-9_]* = -?(0x[0-9A-Fa-f]+|[0-9]+)" pairs "${text}")
  foreach(pair IN LISTS pairs)
    string(REGEX MATCH "([A-Za-z_][A-Za-z0-9_]*) = (.*)" _ "${pair}")
    set(def_${CMAKE_MATCH_1} "${CMAKE_MATCH_2}" PARENT_SCOPE)
  endforeach()
endfunction()

read_enumerators(${CONSTANTS_HEADER})
read_definitions(${VERSION_NUMBER_HEADER})
read_definitions(${VERSION_HEADER})

# The version word's bit layout, as PF_VERSION packs it: build 0-8, stage 9-10, bugfix 11-14,
# subversion 15-18, version low bits 19-21 and high bits 26-29.
function(pack_version out vers subvers bugfix stage build)
  math(EXPR word "((((${vers}) >> 3) & 0xF) << 26) | (((${vers}) & 0x7) << 19) \
    | (((${subvers}) & 0xF) << 15) | (((${bugfix}) & 0xF) << 11) | (((${stage}) & 0x3) << 9) \
    | ((${build}) & 0x1FF)")
  set(${out} ${word} PARENT_SCOPE)
endfunction()

# Expands every name in a definition until only numbers remain, then evaluates it.
function(evaluate out expression)
  set(expr "${expression}")
  while(expr MATCHES "(^|[^A-Za-z0-9_])([A-Za-z_][A-Za-z0-9_]*)")
    set(name ${CMAKE_MATCH_2})
    if(name STREQUAL "PF_VERSION")
      if(NOT expr MATCHES "PF_VERSION[ ]*\\(([^()]*)\\)")
        message(FATAL_ERROR "pipl.cmake: cannot read PF_VERSION(...) in '${expression}'")
      endif()
      set(call "${CMAKE_MATCH_0}")
      string(REPLACE "," ";" arguments "${CMAKE_MATCH_1}")
      set(values)
      foreach(argument IN LISTS arguments)
        evaluate(value "${argument}")
        list(APPEND values ${value})
      endforeach()
      pack_version(word ${values})
      string(REPLACE "${call}" "${word}" expr "${expr}")
    elseif(DEFINED def_${name})
      string(REGEX REPLACE "(^|[^A-Za-z0-9_])${name}([^A-Za-z0-9_]|$)" "\\1(${def_${name}})\\2"
        expr "${expr}")
    else()
      message(FATAL_ERROR "pipl.cmake: '${name}' in '${expression}' is not defined")
    endif()
  endwhile()
  math(EXPR value "${expr}")
  set(${out} ${value} PARENT_SCOPE)
endfunction()

function(string_definition out name)
  if(NOT def_${name} MATCHES "^\"([^\"]*)\"$")
    message(FATAL_ERROR "pipl.cmake: ${name} must be a plain string literal")
  endif()
  set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()

# ---- Bytes, kept as lower-case hex.

function(hex_number out value bytes)  # little-endian
  set(hex "")
  math(EXPR last "${bytes} - 1")
  foreach(i RANGE ${last})
    math(EXPR byte "((${value}) >> (8 * ${i})) & 0xFF" OUTPUT_FORMAT HEXADECIMAL)
    string(SUBSTRING "${byte}" 2 -1 digits)
    string(LENGTH "${digits}" width)
    if(width EQUAL 1)
      set(digits "0${digits}")
    endif()
    string(APPEND hex "${digits}")
  endforeach()
  set(${out} "${hex}" PARENT_SCOPE)
endfunction()

function(hex_fourcc out code)  # the multi-character constant's bytes, lowest first
  string(LENGTH "${code}" width)
  if(NOT width EQUAL 4)
    message(FATAL_ERROR "pipl.cmake: '${code}' is not a four-character code")
  endif()
  string(SUBSTRING "${code}" 3 1 c0)
  string(SUBSTRING "${code}" 2 1 c1)
  string(SUBSTRING "${code}" 1 1 c2)
  string(SUBSTRING "${code}" 0 1 c3)
  string(HEX "${c0}${c1}${c2}${c3}" hex)
  set(${out} "${hex}" PARENT_SCOPE)
endfunction()

function(pad_to_four out hex)
  string(LENGTH "${hex}" digits)
  math(EXPR missing "(4 - (${digits} / 2) % 4) % 4")
  string(REPEAT "00" ${missing} zeros)
  set(${out} "${hex}${zeros}" PARENT_SCOPE)
endfunction()

# A string with a length byte in front and no terminator, padded; the padding counts.
function(hex_pascal_string out text)
  string(LENGTH "${text}" length)
  if(length GREATER 255)
    message(FATAL_ERROR "pipl.cmake: '${text}' is too long for a length-prefixed string")
  endif()
  hex_number(prefix ${length} 1)
  string(HEX "${text}" chars)
  pad_to_four(hex "${prefix}${chars}")
  set(${out} "${hex}" PARENT_SCOPE)
endfunction()

# A zero-terminated string, padded; the padding counts.
function(hex_c_string out text)
  string(HEX "${text}" chars)
  pad_to_four(hex "${chars}00")
  set(${out} "${hex}" PARENT_SCOPE)
endfunction()

set(properties "")
set(property_count 0)

# One property: vendor 8BIM, key, id 0, length of `data`, then `data` padded to a multiple of 4.
function(add_property key data)
  hex_fourcc(vendor "8BIM")
  hex_fourcc(code "${key}")
  hex_number(id 0 4)
  string(LENGTH "${data}" digits)
  math(EXPR length "${digits} / 2")
  hex_number(length_hex ${length} 4)
  pad_to_four(padded "${data}")
  string(APPEND properties "${vendor}${code}${id}${length_hex}${padded}")
  math(EXPR count "${property_count} + 1")
  set(properties "${properties}" PARENT_SCOPE)
  set(property_count ${count} PARENT_SCOPE)
endfunction()

function(hex_definition out value bytes)
  evaluate(number "${value}")
  hex_number(hex ${number} ${bytes})
  set(${out} "${hex}" PARENT_SCOPE)
endfunction()

function(hex_version_pair out major minor)
  hex_definition(major_hex "${major}" 2)
  hex_definition(minor_hex "${minor}" 2)
  set(${out} "${major_hex}${minor_hex}" PARENT_SCOPE)
endfunction()

string_definition(name VELMORA_NAME)
string_definition(category VELMORA_CATEGORY)
string_definition(entry_point VELMORA_ENTRY_POINT)
string_definition(match_name VELMORA_MATCH_NAME)

hex_fourcc(hex "eFKT")  # an effect
add_property(kind "${hex}")
hex_pascal_string(hex "${name}")
add_property(name "${hex}")
hex_pascal_string(hex "${category}")
add_property(catg "${hex}")
hex_c_string(hex "${entry_point}")
add_property(8664 "${hex}")  # the entry point's name on 64-bit Windows
hex_version_pair(hex VELMORA_PIPL_MAJOR VELMORA_PIPL_MINOR)
add_property(ePVR "${hex}")
hex_version_pair(hex VELMORA_SPEC_MAJOR VELMORA_SPEC_MINOR)
add_property(eSVR "${hex}")
hex_definition(hex VELMORA_VERSION 4)
add_property(eVER "${hex}")
hex_number(hex 0 2)  # no info flags
add_property(eINF "${hex}")
hex_definition(hex VELMORA_OUT_FLAGS 4)
add_property(eGLO "${hex}")
hex_definition(hex VELMORA_OUT_FLAGS2 4)
add_property(eGL2 "${hex}")
hex_pascal_string(hex "${match_name}")
add_property(eMNA "${hex}")
hex_number(hex 0 4)  # reserved
add_property(aeFL "${hex}")

hex_number(version 1 2)
hex_number(reserved 0 4)
hex_number(count ${property_count} 4)
set(bytes "${version}${reserved}${count}${properties}")

# CMake strings cannot hold a zero byte, so printf writes the bytes from octal escapes.
string(REGEX MATCHALL ".." byte_list "${bytes}")
set(escapes "")
foreach(byte IN LISTS byte_list)
  math(EXPR value "0x${byte}")
  math(EXPR d2 "${value} / 64")
  math(EXPR d1 "(${value} / 8) % 8")
  math(EXPR d0 "${value} % 8")
  string(APPEND escapes "\\${d2}${d1}${d0}")
endforeach()
get_filename_component(output_dir "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${output_dir}")
execute_process(COMMAND printf "${escapes}" OUTPUT_FILE "${OUTPUT}.tmp" RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "pipl.cmake: printf could not write ${OUTPUT}")
endif()
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
