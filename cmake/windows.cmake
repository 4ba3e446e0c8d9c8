# The Windows form of the library: VORNEXDO1M.dll (no "lib" prefix) with
# - the entry points and plain-named core functions exported undecorated
#   from boundary/VORNEXDO1M.def (x64 has one calling convention: no "_", no
#   "@N"); functions marked VX_CORE_CXX add their decorated C++ names;
# - BSTRs and the Sys* string functions from the platform's oleaut32;
# - the type library compiled from boundary/VORNEXDO1M.idl, embedded as
#   resource TYPELIB 1, where late-binding hosts look for it;
# - the compiler's runtime linked in (-static, see the toolchain file).
enable_language(RC)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
if(NOT VX_WIDL)
  find_program(VX_WIDL NAMES x86_64-w64-mingw32-widl widl REQUIRED)
endif()

set(VX_IDL ${PROJECT_SOURCE_DIR}/boundary/VORNEXDO1M.idl)
set(VX_TLB ${CMAKE_BINARY_DIR}/VORNEXDO1M.tlb)
# widl writes "#" as the DLL entry of every [entry("Name")] function;
# fix_tlb_entries.py puts the names back before the library embeds it.
add_custom_command(OUTPUT ${VX_TLB}
  COMMAND ${VX_WIDL} -t --win64 -o ${VX_TLB}.raw ${VX_IDL}
  COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/tools/fix_tlb_entries.py ${VX_TLB}.raw ${VX_TLB} ${VX_IDL}
  DEPENDS ${VX_IDL} ${PROJECT_SOURCE_DIR}/tools/fix_tlb_entries.py
  COMMENT "Compiling the type library"
  VERBATIM)

set(VX_RC ${CMAKE_BINARY_DIR}/VORNEXDO1M.rc)
file(CONFIGURE OUTPUT ${VX_RC} CONTENT "1 TYPELIB \"${VX_TLB}\"\n")
# CMake does not scan resource scripts for the files they pull in.
set_source_files_properties(${VX_RC} PROPERTIES OBJECT_DEPENDS ${VX_TLB})

target_sources(VORNEXDO1M PRIVATE ${PROJECT_SOURCE_DIR}/boundary/VORNEXDO1M.def ${VX_RC})
target_link_libraries(VORNEXDO1M PRIVATE oleaut32)
target_link_libraries(vxcore PUBLIC oleaut32)
target_link_options(VORNEXDO1M PRIVATE $<$<CONFIG:Release,MinSizeRel>:-s>)
set_target_properties(VORNEXDO1M PROPERTIES PREFIX "" IMPORT_PREFIX "" OUTPUT_NAME VORNEXDO1M)
