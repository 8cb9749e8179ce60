"""Wine prefixes and the test driver.

One prefix template is made per run (wineboot takes seconds); every group of
cases works in its own copy (cp -a), which it throws away at the end. The
driver (wine-driver.exe, a Windows program of ours) runs in the copy for the
group's whole life and does the Windows side of the checks; see
driver/protocol.h for its line protocol."""

import os
import queue
import re
import shutil
import subprocess
import threading
import time
import urllib.parse
from collections import namedtuple

from e2e.harness.runs import record

from . import config, quirks

# The settings of every prefix, beside what wineboot makes.
TEMPLATE_REGISTRY = r"""REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Auto"="1"
"Debugger"="C:\\windows\\no-debugger.exe %ld %ld"
"""
# Why those last two keys: a fault that no handler takes reaches the
# last-chance filter (UnhandledExceptionFilter). Wine 8's filter starts the
# debugger named under AeDebug; its default, "winedbg --auto", attaches, shows
# a crash dialog that waits for a click (or, with ShowCrashDialog = 0, prints a
# backtrace and ends the process), and the filter then returns
# EXCEPTION_CONTINUE_SEARCH. With "Auto" = "1" (no question asked first) and a
# debugger that cannot be started, the filter returns EXCEPTION_EXECUTE_HANDLER
# at once: the program's own fault guard runs and the process ends by itself.


def base_env(display, prefix_path):
    env = dict(os.environ)
    env.update(DISPLAY=display.name, WINEPREFIX=prefix_path, WINEDEBUG="-all", WINELOADER=config.current.loader,
               WINESERVER=config.current.server, WINEDLLOVERRIDES="mscoree,mshtml=")
    if config.current.prefix_32_bit:
        env["WINEARCH"] = "win32"
    return env


def _stop_server(env):
    subprocess.run([config.current.server, "-k"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=30)
    subprocess.run([config.current.server, "-w"], env=env, timeout=60)


def make_template(display, path):
    """A fresh prefix with the run's settings, its registry written to disk."""
    env = base_env(display, path)
    with open(path + ".log", "w") as log:
        def boot():
            shutil.rmtree(path, ignore_errors=True)
            if subprocess.run([config.current.loader, "wineboot", "-i"], env=env, stdout=log, stderr=log,
                              timeout=180).returncode == 0:
                return path
            _stop_server(env)
            return quirks.BOOT_FAILED

        quirks.set_up(boot)
        registry_file = path + ".reg"
        with open(registry_file, "w") as out:
            out.write(TEMPLATE_REGISTRY)
        subprocess.run([config.current.loader, "regedit", "/S", windows_path(registry_file)], env=env, stdout=log,
                       stderr=log, check=True, timeout=60)
        # The registry reaches the prefix's files only when the server ends.
        subprocess.run([config.current.server, "-w"], env=env, timeout=120)


def windows_path(linux_path):
    """Wine maps drive Z: to the Linux root."""
    return "Z:" + os.path.abspath(linux_path).replace("/", "\\")


class Prefix:
    """A copy of the template for one group of cases."""

    def __init__(self, display, template, path):
        shutil.rmtree(path, ignore_errors=True)
        subprocess.run(["cp", "-a", template, path], check=True, timeout=120)
        self.display, self.path = display, path
        self.env = base_env(display, path)
        self.drivers = []
        if os.path.exists(path + "-driver.log"):
            os.remove(path + "-driver.log")  # the drivers of this copy append to it

    def drive_c(self, *parts):
        return os.path.join(self.path, "drive_c", *parts)

    def install(self, source, *target_parts):
        """Copies a file into drive C: and returns its Windows path."""
        target = self.drive_c(*target_parts)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        if os.path.lexists(target):
            os.remove(target)
        shutil.copyfile(source, target)
        return "C:\\" + "\\".join(target_parts)

    def find(self, *parts):
        """The Linux path of a file of drive C: named without regard to case, or None."""
        path = self.drive_c()
        for part in parts:
            names = {name.lower(): name for name in os.listdir(path)} if os.path.isdir(path) else {}
            if part.lower() not in names:
                return None
            path = os.path.join(path, names[part.lower()])
        return path

    def module_log(self, library_name, folder=("windows", "system32")):
        """The events a test library logged (see module_log.h), oldest first."""
        path = self.find(*folder, library_name + ".log")
        if not path:
            return []
        with open(path, newline="") as log:
            return [dict(field.split("=", 1) for field in line.rstrip("\r\n").split("\t"))
                    for line in log if line.strip()]

    def restart_windows(self):
        """What Windows does when it starts again: Wine carries out the file
        renames and deletions left for that moment."""
        subprocess.run([config.current.loader, "wineboot", "-r"], env=self.env, check=True, timeout=120,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def start_driver(self, extra_env=None):
        driver = Driver(self, dict(self.env, **(extra_env or {})))
        self.drivers.append(driver)
        return driver

    def close(self):
        for driver in self.drivers:
            driver.close()
        _stop_server(self.env)
        shutil.rmtree(self.path, ignore_errors=True)


class DriverError(Exception):
    pass


_NUMBER = re.compile(r"^-?\d+$")
_TEXT_KEYS = ("title", "class", "label", "name", "text")


def _parse_reply(line):
    words = line.split(" ")
    if words[0] == "error":
        raise DriverError(urllib.parse.unquote(" ".join(words[1:])))
    if words[0] != "ok":
        raise DriverError(f"unexpected answer from the driver: {line!r}")
    fields = {}
    for word in words[1:]:
        key, value = word.split("=", 1)
        value = urllib.parse.unquote(value)
        textual = key.rsplit(".", 1)[-1] in _TEXT_KEYS
        fields[key] = int(value) if _NUMBER.match(value) and not textual else value
    return fields


def _encode(word):
    return urllib.parse.quote(str(word), safe="")


def sub_records(fields, prefix):
    """The records of a list answer (w0., w1., ...) as dicts."""
    records = []
    while f"{prefix}{len(records)}.hwnd" in fields or f"{prefix}{len(records)}.name" in fields \
            or f"{prefix}{len(records)}.message" in fields:
        head = f"{prefix}{len(records)}."
        records.append({key[len(head):]: value for key, value in fields.items() if key.startswith(head)})
    return records


# A program started by the driver: its id in the driver and its process id.
Program = namedtuple("Program", "id pid")


class Driver:
    """wine-driver.exe running in a prefix, serving one command at a time."""

    def __init__(self, prefix, env):
        self._log = open(prefix.path + "-driver.log", "ab")
        self._process = subprocess.Popen([config.current.loader, config.current.driver], env=env, stdin=subprocess.PIPE,
                                         stdout=subprocess.PIPE, stderr=self._log, cwd=prefix.path)
        self._lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()
        self._expect_reply(60)

    def _read(self):
        for line in self._process.stdout:
            self._lines.put(line.decode("latin-1").rstrip("\r\n"))
        self._lines.put(None)

    def _expect_reply(self, timeout):
        try:
            line = self._lines.get(timeout=timeout)
        except queue.Empty:
            raise DriverError(f"the driver did not answer within {timeout} s") from None
        if line is None:
            raise DriverError("the driver ended")
        return _parse_reply(line)

    def call(self, *words, timeout=30):
        self._process.stdin.write((" ".join(_encode(word) for word in words) + "\n").encode("latin-1"))
        self._process.stdin.flush()
        return self._expect_reply(timeout)

    def close(self):
        if self._process.poll() is None:
            try:
                self.call("end-all")
                self.call("quit")
                self._process.wait(10)
            except (DriverError, OSError, subprocess.TimeoutExpired):
                self._process.kill()
                self._process.wait()
        self._log.close()

    # Programs.
    def start(self, command_line):
        return self._start("start", command_line)

    def start_app(self, application, command_line):
        return self._start("start-app", application, command_line)

    def _start(self, *command):
        def attempt():
            try:
                started = self.call(*command)
            except DriverError as error:
                if str(error) == "CreateProcessA failed with error 1359":
                    return quirks.NOT_STARTED
                raise
            return Program(started["id"], started["pid"])
        return quirks.set_up(attempt)

    def wait(self, program, timeout_ms):
        """The exit code, or None after terminating a program still running then."""
        started = time.monotonic()
        code = self.call("wait", program.id, round(timeout_ms), timeout=timeout_ms / 1000 + 30).get("exit")
        if code is not None:
            record("a program's end", time.monotonic() - started)
        return code

    def still_running_after(self, program, ms):
        """True when the program is still running after ms; False when it ended."""
        return self.call("running", program.id, ms, timeout=ms / 1000 + 30).get("running") == 1

    def end_all(self):
        return self.call("end-all")["ended"]

    def wait_gone(self, file_name, timeout_ms):
        """True once no process runs a program of that file name."""
        return self.call("wait-gone", file_name, round(timeout_ms), timeout=timeout_ms / 1000 + 30)["gone"] == 1

    # Windows.
    def windows(self, class_name="*", title="*", pid=0):
        return sub_records(self.call("windows", class_name, title, pid), "w")

    def wait_window(self, class_name="*", title="*", pid=0, timeout_ms=60000):
        found = self.call("wait-window", class_name, title, pid, timeout_ms, timeout=timeout_ms / 1000 + 30)
        return None if found.get("timeout") else found

    def window(self, hwnd):
        return self.call("window", hwnd)

    def children(self, hwnd):
        return sub_records(self.call("children", hwnd), "w")

    def foreground(self):
        return self.call("foreground")

    def post(self, hwnd, message, wparam=0, lparam=0):
        posted = self.call("post", hwnd, message, wparam, lparam)
        if not posted["posted"]:
            raise DriverError(f"PostMessage of {message:#x} to {hwnd} failed with error {posted['error']}")

    def click(self, dialog, button_id, close_after=0):
        return self.call("click", dialog, button_id, close_after)["label"]

    def make_window(self, width, height, x=100, y=100, overlay=False):
        words = ("overlay",) if overlay else ()
        return self.call("make-window", width, height, x, y, *words)["hwnd"]

    def messages(self, hwnd):
        return sub_records(self.call("messages", hwnd), "m")

    def destroy(self, hwnd):
        return self.call("destroy", hwnd)["destroyed"] == 1

    def activate(self, hwnd):
        return self.call("activate", hwnd)["activated"] == 1

    def raise_window(self, hwnd):
        """Puts a topmost window of the driver's back on top, without activating it."""
        if not self.call("raise", hwnd)["raised"]:
            raise DriverError(f"SetWindowPos could not raise window {hwnd}")

    # Dialogs of another process.
    def dialog_items(self, dialog):
        """Every control of the dialog in Z order: hwnd, id, class, text, style,
        exstyle, and x, y, width, height in the dialog's client coordinates."""
        items = sub_records(self.call("dialog-items", dialog), "w")
        if any("timeout" in item for item in items):
            raise DriverError(f"a control of dialog {dialog} did not answer WM_GETTEXT")
        return items

    def dialog_text(self, dialog, item_id):
        answer = self.call("dialog-text", dialog, item_id)
        if "timeout" in answer:
            raise DriverError(f"control {item_id} did not answer WM_GETTEXT")
        return answer["text"]

    def set_dialog_text(self, dialog, item_id, text):
        """SetDlgItemTextA: returns once the dialog procedure has handled the change."""
        if "timeout" in self.call("dialog-set-text", dialog, item_id, text):
            raise DriverError(f"control {item_id} did not take its new text within 5 s")

    def dialog_checked(self, dialog, item_id):
        answer = self.call("dialog-checked", dialog, item_id)
        if "timeout" in answer:
            raise DriverError(f"button {item_id} did not answer BM_GETCHECK")
        return answer["checked"]

    def dialog_units(self, points, face):
        """(bx, by): the base units of a dialog in that font."""
        units = self.call("dialog-units", points, face)
        return units["bx"], units["by"]

    # Registry and system state.
    def reg_set_dword(self, key, name, value):
        self.call("reg-set", key, name, "dword", value)

    def reg_set_text(self, key, name, text):
        self.call("reg-set", key, name, "sz", text)

    def reg_values(self, key):
        """{name: (type, value)}, or None when the key is missing."""
        fields = self.call("reg-values", key)
        if fields.get("missing"):
            return None
        values = {}
        for record in sub_records(fields, "v"):
            text = record["type"] == "sz"
            values[record["name"]] = (record["type"], str(record["value"]) if text else record.get("value"))
        return values

    def reg_delete(self, key):
        self.call("reg-delete", key)

    def saver_running(self):
        return self.call("saver-running")["running"]

