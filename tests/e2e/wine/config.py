"""Where the run finds its programs and keeps its files; set once by run_e2e.py."""

import errno
import os
import re
import subprocess

WINE64 = "/usr/lib/wine/wine64"
WINESERVER64 = "/usr/lib/wine/wineserver64"
# 32-bit Wine: the loader of 32-bit programs, and the server of a 32-bit prefix.
WINE32 = "/usr/lib/wine/wine"
WINESERVER32 = "/usr/lib/wine/wineserver32"


class Config:
    """setup32: the cases of the setup run the setup people download, a 32-bit
    program, instead of its 64-bit build; win32_build: they run in a 32-bit
    prefix (WINEARCH=win32), driven by that build's driver."""

    def __init__(self, win64_build, work, setup32=False, win32_build=None):
        self.win64_build = os.path.abspath(win64_build)
        self.work = os.path.abspath(work)
        self.prefix_32_bit = win32_build is not None
        self.setup32 = setup32 or self.prefix_32_bit
        self.loader, self.server = (WINE32, WINESERVER32) if self.prefix_32_bit else (WINE64, WINESERVER64)
        self.saver = os.path.join(self.win64_build, "win32", "Roamlets.scr")
        tests = os.path.join(self.win64_build, "tests", "e2e", "wine")
        driver_build = os.path.abspath(win32_build) if self.prefix_32_bit else self.win64_build
        self.driver = os.path.join(driver_build, "tests", "e2e", "wine", "wine-driver.exe")
        self.password_provider = os.path.join(tests, "PASSWORD.CPL")
        self.password_change = os.path.join(tests, "MPR.DLL")
        self.fault_probe = os.path.join(tests, "Roamlets-fault.scr")
        self.open_recorder = os.path.join(tests, "open-recorder.exe")
        # The package step's: the zip, and the setup (or its 64-bit build).
        self.version = _project_version(self.win64_build)
        self.package = os.path.join(self.win64_build, f"Roamlets-{self.version}-windows.zip")
        self.setup = (os.path.join(self.win64_build, f"Roamlets-{self.version}-setup.exe") if self.setup32
                      else os.path.join(tests, "Roamlets-setup-amd64.exe"))
        self.shots = os.path.join(self.work, "screenshots")

    def missing_programs(self):
        programs = [self.saver, self.driver, self.password_provider, self.password_change, self.open_recorder,
                    self.package, self.setup]
        return [path for path in programs if not os.path.isfile(path)]


def _project_version(build):
    try:
        with open(os.path.join(build, "CMakeCache.txt")) as cache:
            found = re.search(r"^CMAKE_PROJECT_VERSION:\w+=(.+)$", cache.read(), re.M)
    except OSError:
        found = None
    return found.group(1) if found else "unknown"


def runs_32_bit_code():
    """False where the kernel refuses 32-bit programs (some virtual machines
    run 64-bit code only, whatever is installed)."""
    try:
        subprocess.run([WINE32, "--version"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
    except OSError as error:
        if error.errno == errno.ENOEXEC:
            return False
        raise
    return True


current = None
