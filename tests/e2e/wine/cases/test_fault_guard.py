"""The fault guard: full-screen runs of the fault probe (Roamlets-fault.scr,
the saver with a null-pointer write when its loop takes FAULT_MESSAGE and an
uncaught std::bad_alloc when it takes THROW_MESSAGE) on Windows 98 with the
password provider loaded. The last-chance filter is set up to handle the fault
(see e2e/wine/prefix.py), so for either the host's guard must clear the
saver-running flag and the process must end by itself."""

import os

from e2e.wine import config
from e2e.wine.saver_cases import ORIGIN, PasswordSystemCases

WM_APP = 0x8000
FAULT_MESSAGE = WM_APP + 0x7F
THROW_MESSAGE = WM_APP + 0x7E
# What each kind of failure posts, and the status the process ends with: the
# fault's code (the system ends a process whose fault it handled with that),
# and 3 for an exception that nothing caught.
FAILURES = {"fault": (FAULT_MESSAGE, 0xC0000005), "uncaught exception": (THROW_MESSAGE, 3)}


class FaultGuardCases(PasswordSystemCases):
    def test_a_fault_or_uncaught_exception_clears_the_saver_running_flag_and_ends_the_process(self):
        if not os.path.isfile(config.current.fault_probe):
            self.fail(f"the fault probe is not built: {config.current.fault_probe}")
        probe = self.prefix.install(config.current.fault_probe, "saver", "Roamlets-fault.scr")
        for failure, (message, status) in FAILURES.items():
            with self.subTest(failure=failure):
                logged = len(self.provider_events())
                self.display.move_pointer(*ORIGIN)
                program = self.start_saver("/s", probe)
                window, _ = self.wait_saver_window(program.pid)
                self.assertEqual(self.driver.saver_running(), 1)
                self.assertEqual([e["event"] for e in self.provider_events(logged)], ["attach"])

                self.driver.post(window["hwnd"], message)
                code = self.driver.wait(program, 15000)
                self.assertIsNotNone(code, f"the probe did not end within 15 s of its {failure}")
                self.assertEqual(self.driver.saver_running(), 0, "the guard did not clear SPI_SCREENSAVERRUNNING")
                self.assertEqual(code, status)
                self.assertEqual(self.driver.windows("*", "*", program.pid), [])
                self.assertEqual(self.provider_events(logged, "verify"), [], "the failure was taken for a close request")
