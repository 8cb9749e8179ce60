# The Windows packages: one zip with Roamlets.scr for 64-bit and for 32-bit
# Windows, each in a folder named after its Windows and stripped of debug
# information, and INSTALL.txt for the user:
#
#   Roamlets-<version>-windows/INSTALL.txt
#   Roamlets-<version>-windows/64-bit/Roamlets.scr
#   Roamlets-<version>-windows/32-bit/Roamlets.scr
#
# and Roamlets-<version>-setup.exe, which holds the same two programs and
# installs the one for the Windows it runs on (packaging/setup.nsi, compiled
# with NSIS by cmake/MakeSetup.cmake).
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

# What the setup writes: the publisher and copyright from resources/maker.h,
# and the settings key (settings/settings.h) that its uninstaller removes
# when asked to. The C string's doubled backslashes become single ones.
file(STRINGS ${PROJECT_SOURCE_DIR}/resources/maker.h roamlets_maker REGEX "^#define ROAMLETS_MAKER_NAME ")
string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*$" "\\1" roamlets_maker "${roamlets_maker}")
file(STRINGS ${PROJECT_SOURCE_DIR}/resources/maker.h roamlets_copyright REGEX "^#define ROAMLETS_COPYRIGHT ")
string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*$" "\\1" roamlets_copyright "${roamlets_copyright}")
file(STRINGS ${PROJECT_SOURCE_DIR}/settings/settings.h roamlets_settings_key REGEX "kSettingsKeyPath = ")
string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*$" "\\1" roamlets_settings_key "${roamlets_settings_key}")
string(REPLACE "\\\\" "\\" roamlets_settings_key "${roamlets_settings_key}")
if(NOT roamlets_maker OR NOT roamlets_copyright OR NOT roamlets_settings_key MATCHES "^Software\\\\.+\\\\Roamlets$")
  message(FATAL_ERROR "could not read the maker, the copyright or the settings key for the setup")
endif()

# The picture beside the setup's first and last pages.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(roamlets_wizard_bitmap ${PROJECT_BINARY_DIR}/packaging/setup-wizard.bmp)
add_custom_command(OUTPUT ${roamlets_wizard_bitmap}
  COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/packaging/make_wizard_bitmap.py ${roamlets_wizard_bitmap}
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/make_wizard_bitmap.py
  COMMENT "Drawing setup-wizard.bmp"
  VERBATIM)
add_custom_target(roamlets_setup_pictures ALL DEPENDS ${roamlets_wizard_bitmap})

find_program(ROAMLETS_MAKENSIS makensis)
set(CPACK_GENERATOR ZIP External)
set(CPACK_PACKAGE_VENDOR "${roamlets_maker}")
set(CPACK_EXTERNAL_ENABLE_STAGING ON)
set(CPACK_EXTERNAL_PACKAGE_SCRIPT ${PROJECT_SOURCE_DIR}/cmake/MakeSetup.cmake)
set(CPACK_ROAMLETS_MAKENSIS "${ROAMLETS_MAKENSIS}")
set(CPACK_ROAMLETS_SETUP_SCRIPT ${PROJECT_SOURCE_DIR}/packaging/setup.nsi)
set(CPACK_ROAMLETS_COPYRIGHT "${roamlets_copyright}")
set(CPACK_ROAMLETS_SETTINGS_KEY "${roamlets_settings_key}")
set(CPACK_ROAMLETS_ICON ${PROJECT_BINARY_DIR}/resources/roamlets.ico)
set(CPACK_ROAMLETS_WIZARD_BITMAP ${roamlets_wizard_bitmap})
if(ROAMLETS_BUILD_WINDOWS_TEST_PROGRAMS)
  set(CPACK_ROAMLETS_TEST_SETUP ${PROJECT_BINARY_DIR}/tests/e2e/wine/Roamlets-setup-amd64.exe)
endif()
set(CPACK_PACKAGE_FILE_NAME "Roamlets-${PROJECT_VERSION}-windows")
set(CPACK_STRIP_FILES ON)
set(CPACK_VERBATIM_VARIABLES ON)
# The source package, which CPack offers too, leaves out builds and history.
set(CPACK_SOURCE_IGNORE_FILES "/\\.git/" "/build/" "/out/")
include(CPack)
