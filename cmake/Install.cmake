# The C++ package: cmake --install puts the public headers under
# include/kaselect/, the two shared libraries under lib/, and a CMake package
# config, so that another project writes
#
#   find_package(kaselect CONFIG REQUIRED)
#   target_link_libraries(app PRIVATE kaselect::kaselect)
#
# Headers are included as "selection/select.h" or <kaselect/selection/select.h>.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(KASELECT_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/kaselect)
set(KASELECT_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/kaselect)

# The one target users link: the selection library and the toolkit under it.
add_library(kaselect INTERFACE)
target_link_libraries(kaselect INTERFACE kasel kacore)
add_library(kaselect::kaselect ALIAS kaselect)

foreach(library kacore kasel)
  target_include_directories(${library} PUBLIC
      $<INSTALL_INTERFACE:${KASELECT_INSTALL_INCLUDEDIR}> $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  set_target_properties(${library} PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
endforeach()
# kasel finds kacore beside it wherever the prefix is moved.
set_target_properties(kasel PROPERTIES INSTALL_RPATH "$ORIGIN")

install(TARGETS kacore kasel kaselect EXPORT kaselectTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT cpp
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT cpp
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT cpp)

# Every header of the toolkit and the selection library except the two that
# pull in the bundled parsers (gemmi, PEGTL): those stay private to the build.
foreach(dir system molecule grid selection)
  file(GLOB headers ${PROJECT_SOURCE_DIR}/${dir}/*.h)
  list(FILTER headers EXCLUDE REGEX "/(read_structure|grammar)\\.h$")
  install(FILES ${headers} DESTINATION ${KASELECT_INSTALL_INCLUDEDIR}/${dir} COMPONENT cpp)
endforeach()

install(EXPORT kaselectTargets NAMESPACE kaselect:: DESTINATION ${KASELECT_INSTALL_CMAKEDIR} COMPONENT cpp)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/kaselectConfig.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/kaselectConfig.cmake INSTALL_DESTINATION ${KASELECT_INSTALL_CMAKEDIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/kaselectConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/kaselectConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/kaselectConfigVersion.cmake
        DESTINATION ${KASELECT_INSTALL_CMAKEDIR} COMPONENT cpp)
