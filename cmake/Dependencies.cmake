# Header-only dependencies, pinned at exact versions. A system copy of the
# pinned version is preferred when one is installed, so that distribution
# packagers can unbundle; otherwise the copy under third_party/ is used.
#
#   KASELECT_BUNDLED_DEPS=ON   always use third_party/ (ignore system copies)
#   KASELECT_SYSTEM_DEPS=ON    use system copies of any version (packagers
#                              who have checked a newer one), fail without them

option(KASELECT_BUNDLED_DEPS "Use the header-only dependencies bundled in third_party/" OFF)
option(KASELECT_SYSTEM_DEPS "Use system copies of the header-only dependencies, whatever their version" OFF)
if(KASELECT_BUNDLED_DEPS AND KASELECT_SYSTEM_DEPS)
  message(FATAL_ERROR "KASELECT_BUNDLED_DEPS and KASELECT_SYSTEM_DEPS exclude each other")
endif()

# kaselect_header_dependency(<VAR> <label> <header> <version header> <version regex> <pinned> <bundled dir>)
# Sets <VAR>_INCLUDE_DIR to the directory that holds <header>. The version is
# the first group of <version regex> matched in <version header>.
function(kaselect_header_dependency var label header version_header version_regex pinned bundled)
  set(chosen "")
  if(NOT KASELECT_BUNDLED_DEPS)
    find_path(${var}_SYSTEM_INCLUDE_DIR ${header})
    set(system_dir "${${var}_SYSTEM_INCLUDE_DIR}")
    if(system_dir)
      file(STRINGS "${system_dir}/${version_header}" version_line REGEX "${version_regex}" LIMIT_COUNT 1)
      string(REGEX REPLACE ".*${version_regex}.*" "\\1" system_version "${version_line}")
      if(system_version STREQUAL pinned OR KASELECT_SYSTEM_DEPS)
        set(chosen "${system_dir}")
        message(STATUS "${label} ${system_version}: system copy in ${system_dir}")
      else()
        message(STATUS "${label}: system copy in ${system_dir} is version '${system_version}', "
                       "not the pinned ${pinned}; using the bundled copy")
      endif()
    elseif(KASELECT_SYSTEM_DEPS)
      message(FATAL_ERROR "${label}: no system copy of ${header} found (KASELECT_SYSTEM_DEPS=ON)")
    endif()
  endif()
  if(NOT chosen)
    set(chosen "${bundled}")
    message(STATUS "${label} ${pinned}: bundled copy in ${bundled}")
  endif()
  set(${var}_INCLUDE_DIR "${chosen}" PARENT_SCOPE)
endfunction()

set(KASELECT_THIRD_PARTY ${PROJECT_SOURCE_DIR}/third_party)
kaselect_header_dependency(PEGTL "PEGTL" tao/pegtl.hpp tao/pegtl/version.hpp
    "TAO_PEGTL_VERSION \"([0-9.]+)\"" 3.2.7 ${KASELECT_THIRD_PARTY}/pegtl/include)
kaselect_header_dependency(NANOFLANN "nanoflann" nanoflann.hpp nanoflann.hpp
    "NANOFLANN_VERSION (0x[0-9A-Fa-f]+)" 0x142 ${KASELECT_THIRD_PARTY}/nanoflann/include)
kaselect_header_dependency(GEMMI "gemmi" gemmi/pdb.hpp gemmi/version.hpp
    "GEMMI_VERSION \"([0-9.]+)\"" 0.5.7 ${KASELECT_THIRD_PARTY}/gemmi/include)
