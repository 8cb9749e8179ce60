# CPack's External generator runs this with the package's files staged in
# CPACK_TEMPORARY_DIRECTORY (64-bit/ and 32-bit/ Roamlets.scr, stripped): it
# compiles packaging/setup.nsi into Roamlets-<version>-setup.exe, a 32-bit
# setup that installs the program for the Windows it runs on.
#
# The win64 build with its end-to-end test programs also gets the same setup
# as a 64-bit program, for the runs under Wine on machines that execute
# 64-bit code only.
if(NOT CPACK_ROAMLETS_MAKENSIS)
  message(FATAL_ERROR "makensis was not found when the build was configured: "
                      "install NSIS (bash scripts/deps.sh all) and configure again")
endif()

function(roamlets_make_setup target outfile)
  execute_process(
    COMMAND "${CPACK_ROAMLETS_MAKENSIS}" -V3 -WX
            "-DVERSION=${CPACK_PACKAGE_VERSION}"
            "-DMAKER=${CPACK_PACKAGE_VENDOR}"
            "-DCOPYRIGHT=${CPACK_ROAMLETS_COPYRIGHT}"
            "-DSETTINGS_KEY=${CPACK_ROAMLETS_SETTINGS_KEY}"
            "-DSAVER64=${CPACK_TEMPORARY_DIRECTORY}/64-bit/Roamlets.scr"
            "-DSAVER32=${CPACK_TEMPORARY_DIRECTORY}/32-bit/Roamlets.scr"
            "-DICON=${CPACK_ROAMLETS_ICON}"
            "-DWIZARD_BITMAP=${CPACK_ROAMLETS_WIZARD_BITMAP}"
            "-DTARGET=${target}"
            "-DOUTFILE=${outfile}"
            "${CPACK_ROAMLETS_SETUP_SCRIPT}"
    COMMAND_ERROR_IS_FATAL ANY)
endfunction()

set(setup "${CPACK_TOPLEVEL_DIRECTORY}/Roamlets-${CPACK_PACKAGE_VERSION}-setup.exe")
roamlets_make_setup(x86-unicode "${setup}")
# CPack copies what this list names into the package folder.
set(CPACK_EXTERNAL_BUILT_PACKAGES "${setup}")

if(CPACK_ROAMLETS_TEST_SETUP)
  roamlets_make_setup(amd64-unicode "${CPACK_ROAMLETS_TEST_SETUP}")
endif()
