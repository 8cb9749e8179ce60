# The Windows package: one zip with Roamlets.scr for 64-bit and for 32-bit
# Windows, each in a folder named after its Windows and stripped of debug
# information, and INSTALL.txt for the user:
#
#   Roamlets-<version>-windows/INSTALL.txt
#   Roamlets-<version>-windows/64-bit/Roamlets.scr
#   Roamlets-<version>-windows/32-bit/Roamlets.scr
#
# The 64-bit build makes it (cmake --build --preset win64 --target package)
# and brings the 32-bit build in ROAMLETS_WIN32_BUILD_DIR up to date on the
# way; a 32-bit build makes no package of its own.
if(NOT CMAKE_SIZEOF_VOID_P EQUAL 8)
  return()
endif()

install(TARGETS roamlets_scr RUNTIME DESTINATION 64-bit)

# The 32-bit program, built when the package is made: its build folder is
# configured from the win32 preset when it is new, then brought up to date.
install(CODE "set(roamlets_source_dir [[${PROJECT_SOURCE_DIR}]])
set(roamlets_win32_build_dir [[${ROAMLETS_WIN32_BUILD_DIR}]])")
install(CODE [[
  if(NOT EXISTS "${roamlets_win32_build_dir}/CMakeCache.txt")
    execute_process(COMMAND "${CMAKE_COMMAND}" --preset win32 -B "${roamlets_win32_build_dir}"
                    WORKING_DIRECTORY "${roamlets_source_dir}" COMMAND_ERROR_IS_FATAL ANY)
  endif()
  execute_process(COMMAND "${CMAKE_COMMAND}" --build "${roamlets_win32_build_dir}" COMMAND_ERROR_IS_FATAL ANY)
]])
install(PROGRAMS "${ROAMLETS_WIN32_BUILD_DIR}/win32/Roamlets.scr" DESTINATION 32-bit)
# Install rules strip targets only, and with this build's strip: the staged
# copy of the 32-bit program goes through the 32-bit build's own.
install(CODE [[
  if(CMAKE_INSTALL_DO_STRIP)
    file(STRINGS "${roamlets_win32_build_dir}/CMakeCache.txt" win32_strip REGEX "^CMAKE_STRIP:")
    string(REGEX REPLACE "^[^=]*=" "" win32_strip "${win32_strip}")
    execute_process(COMMAND "${win32_strip}" "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/32-bit/Roamlets.scr"
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()
]])

# Notepad wants CRLF line endings; the source keeps LF.
configure_file(${PROJECT_SOURCE_DIR}/packaging/INSTALL.txt ${PROJECT_BINARY_DIR}/packaging/INSTALL.txt
               @ONLY NEWLINE_STYLE CRLF)
install(FILES ${PROJECT_BINARY_DIR}/packaging/INSTALL.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME "Roamlets-${PROJECT_VERSION}-windows")
set(CPACK_STRIP_FILES ON)
set(CPACK_VERBATIM_VARIABLES ON)
# The source package, which CPack offers too, leaves out builds and history.
set(CPACK_SOURCE_IGNORE_FILES "/\\.git/" "/build/" "/out/")
include(CPack)
