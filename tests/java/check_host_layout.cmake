# Static check of the host's virtual table in the i686 build (32-bit code cannot run here).
#   GCC_OBJECT    our host probe, compiled by MinGW GCC with -ffunction-sections
#   MSVC_OBJECT   the same class compiled by clang for the MSVC ABI
#   LIBRARY       libvanu_java.a, whose table build calls the host
#   OBJDUMP       binutils' objdump for i686 (it reads the MSVC-ABI COFF object too)
# Checks, for both compilers: slot 1 EndJavaCall, slot 5 BindObject, slot 9 GetJavaContext
# with placeholders around them; and that the three are thiscall member functions, which
# pop their stack arguments (this travels in ECX): 4, 20 and 12 bytes. And that the
# library calls slot 1 (offset 4 of the table).
set(expected_slots Reserved0 EndJavaCall Reserved2 Reserved3 Reserved4 BindObject Reserved6
    Reserved7 Reserved8 GetJavaContext)
set(expected_pops EndJavaCall=4 BindObject=20 GetJavaContext=12)

function(fail message)
  message(FATAL_ERROR "host layout: ${message}")
endfunction()

function(run out)
  execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE text ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    fail("${ARGN} failed: ${err}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# --- GCC: the vtable's relocations name one function section per slot, after the type
# information. Every slot counts, whichever class its function belongs to.
run(relocs ${OBJDUMP} -r -j .rdata$_ZTV9ProbeHost ${GCC_OBJECT})
string(REGEX MATCHALL "dir32 +[^\n]+" entries "${relocs}")
set(gcc_slots "")
foreach(entry IN LISTS entries)
  string(REGEX REPLACE "^dir32 +" "" symbol "${entry}")
  if(symbol MATCHES "^__ZTI")
    continue()
  endif()
  # .text$_ZN<length><class><length><function>...: identifiers come as length and characters.
  if(NOT symbol MATCHES "^\\.text\\$_ZN([0-9]+)(.*)$")
    fail("unexpected vtable entry ${symbol}")
  endif()
  string(SUBSTRING "${CMAKE_MATCH_2}" ${CMAKE_MATCH_1} -1 rest)
  if(NOT rest MATCHES "^([0-9]+)(.*)$")
    fail("unexpected vtable entry ${symbol}")
  endif()
  string(SUBSTRING "${CMAKE_MATCH_2}" 0 ${CMAKE_MATCH_1} name)
  list(APPEND gcc_slots ${name})
endforeach()
if(NOT gcc_slots STREQUAL expected_slots)
  fail("GCC slots are '${gcc_slots}', expected '${expected_slots}'")
endif()
run(disasm ${OBJDUMP} -d ${GCC_OBJECT})
foreach(pair IN LISTS expected_pops)
  string(REPLACE "=" ";" pair "${pair}")
  list(GET pair 0 name)
  list(GET pair 1 bytes)
  math(EXPR hex "${bytes}" OUTPUT_FORMAT HEXADECIMAL)
  string(REGEX MATCH "<__ZN9ProbeHost[0-9]+${name}E[^>]*>:[^<]*" body "${disasm}")
  if(NOT body MATCHES "ret +\\$${hex}\n")
    fail("GCC ${name} does not pop ${bytes} bytes:\n${body}")
  endif()
endforeach()

# --- MSVC ABI: the vtable's relocations name the functions; UAE marks public virtual
# __thiscall in the decorated name.
run(relocs ${OBJDUMP} -r ${MSVC_OBJECT})
# The vtable is the relocation block that follows the complete-object locator (??_R4).
string(REGEX MATCH "\\?\\?_R4ProbeHost@@6B@\n([^\n]+\n)+" table "${relocs}")
string(REGEX MATCHALL "dir32 +[^\n]+" entries "${table}")
set(msvc_slots "")
foreach(entry IN LISTS entries)
  string(REGEX REPLACE "^dir32 +" "" symbol "${entry}")
  if(NOT symbol MATCHES "^\\?([A-Za-z0-9]+)@ProbeHost@@UAE")
    fail("MSVC-ABI vtable entry ${symbol} is not a public virtual thiscall member of the host")
  endif()
  list(APPEND msvc_slots ${CMAKE_MATCH_1})
endforeach()
if(NOT msvc_slots STREQUAL expected_slots)
  fail("MSVC-ABI slots are '${msvc_slots}', expected '${expected_slots}'")
endif()
run(disasm ${OBJDUMP} -d ${MSVC_OBJECT})
foreach(pair IN LISTS expected_pops)
  string(REPLACE "=" ";" pair "${pair}")
  list(GET pair 0 name)
  list(GET pair 1 bytes)
  math(EXPR hex "${bytes}" OUTPUT_FORMAT HEXADECIMAL)
  string(REGEX MATCH "<\\?${name}@ProbeHost@@UAE[^>]*>:[^<]*" body "${disasm}")
  if(NOT body MATCHES "ret +\\$${hex}\n")
    fail("MSVC-ABI ${name} does not pop ${bytes} bytes:\n${body}")
  endif()
endforeach()

# --- The library reaches EndJavaCall through offset 4 of the host's table. (Offset 4 of
# the JNI function table is a reserved slot that nothing calls.)
run(disasm ${OBJDUMP} -d ${LIBRARY})
if(NOT disasm MATCHES "call +\\*0x4\\(%e[a-z][a-z]\\)")
  fail("the table build makes no call through slot 1")
endif()
