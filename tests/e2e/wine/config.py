"""Where the run finds its programs and keeps its files; set once by run_e2e.py."""

import os

WINE64 = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver64"


class Config:
    def __init__(self, win64_build, work):
        self.win64_build = os.path.abspath(win64_build)
        self.work = os.path.abspath(work)
        self.saver = os.path.join(self.win64_build, "win32", "Roamlets.scr")
        tests = os.path.join(self.win64_build, "tests", "e2e", "wine")
        self.driver = os.path.join(tests, "wine-driver.exe")
        self.password_provider = os.path.join(tests, "PASSWORD.CPL")
        self.password_change = os.path.join(tests, "MPR.DLL")
        self.fault_probe = os.path.join(tests, "Roamlets-fault.scr")
        self.open_recorder = os.path.join(tests, "open-recorder.exe")
        self.shots = os.path.join(self.work, "screenshots")

    def missing_programs(self):
        programs = [self.saver, self.driver, self.password_provider, self.password_change, self.open_recorder]
        return [path for path in programs if not os.path.isfile(path)]


current = None
