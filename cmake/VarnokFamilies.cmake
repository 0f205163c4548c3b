# The families of a folder register themselves (DTU_PAGE_FAMILY,
# DTU_VIEW_FAMILY); their registrations sit in static libraries, whose object
# files the linker takes only when something refers to them. This writes a
# source that refers to each family's registration constant, one per
# subfolder of `folder` (except those in SKIP), and a function `function()`
# that the table's first use calls: every program that uses the table then
# holds every family. Nothing names a family but its own folder.
function(varnok_family_anchors out_file folder constant_prefix function)
  cmake_parse_arguments(PARSE_ARGV 4 ARG "" "" "SKIP")
  file(GLOB entries LIST_DIRECTORIES true RELATIVE ${folder} CONFIGURE_DEPENDS ${folder}/*)
  list(SORT entries)
  set(declarations "")
  set(sum "0")
  foreach(entry IN LISTS entries)
    if(NOT IS_DIRECTORY ${folder}/${entry} OR entry IN_LIST ARG_SKIP)
      continue()
    endif()
    string(APPEND declarations "extern const int ${constant_prefix}${entry};\n")
    string(APPEND sum " + ${constant_prefix}${entry}")
  endforeach()
  file(CONFIGURE OUTPUT ${out_file} CONTENT
"// Written by cmake/VarnokFamilies.cmake from the family folders; do not edit.
@declarations@
int @function@() { return @sum@; }
" @ONLY)
endfunction()
