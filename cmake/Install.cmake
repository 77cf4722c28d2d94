# `cmake --install` lays out what an installer application builds against: the workflow library,
# the stand-in components it loads (a real platform puts its own libraries in their place), the
# headers of the gates, the handler and the outside components' declarations, and a package
# configuration for find_package(VeloraWorkflowUtils CONFIG).
include(CMakePackageConfigHelpers)

set(WORKFLOW_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/VeloraWorkflowUtils)


function(workflow_install_package)
  get_property(components GLOBAL PROPERTY WORKFLOW_PLATFORM_COMPONENTS)
  set_target_properties(velora_workflow_utils ${components} PROPERTIES INSTALL_RPATH "$ORIGIN")
  install(TARGETS workflow_interfaces velora_workflow_utils ${components}
          EXPORT VeloraWorkflowUtilsTargets
          LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
          ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
          RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/interfaces/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/velora
          FILES_MATCHING PATTERN "*.h")
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/workflow_core ${PROJECT_SOURCE_DIR}/gates
          DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/velora FILES_MATCHING PATTERN "*.h")
  # The message catalogue is looked up beside the library that reads it.
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/platform/i18n/resources/ DESTINATION ${CMAKE_INSTALL_LIBDIR}/resources
          FILES_MATCHING PATTERN "*.json")
  install(EXPORT VeloraWorkflowUtilsTargets NAMESPACE Velora:: DESTINATION ${WORKFLOW_PACKAGE_DIR})

  configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/VeloraWorkflowUtilsConfig.cmake.in
                                ${PROJECT_BINARY_DIR}/VeloraWorkflowUtilsConfig.cmake
                                INSTALL_DESTINATION ${WORKFLOW_PACKAGE_DIR})
  write_basic_package_version_file(${PROJECT_BINARY_DIR}/VeloraWorkflowUtilsConfigVersion.cmake
                                   COMPATIBILITY SameMinorVersion)
  install(FILES ${PROJECT_BINARY_DIR}/VeloraWorkflowUtilsConfig.cmake
                ${PROJECT_BINARY_DIR}/VeloraWorkflowUtilsConfigVersion.cmake
          DESTINATION ${WORKFLOW_PACKAGE_DIR})
endfunction()
