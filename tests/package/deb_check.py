#!/usr/bin/env python3
"""Checks the Linux build's Debian package and install rules.

Reports a problem when
 - the package roamlets_VERSION_ARCH.deb in the build folder lacks the
   program (mode 0755) in usr/libexec/xscreensaver, its settings panel in
   usr/share/xscreensaver/config or the link usr/bin/roamlets to
   ../libexec/xscreensaver/roamlets, or holds anything else but the folders
   leading to them, or files not owned by root;
 - its control fields are not the project's (name, version, architecture,
   section, maintainer, xscreensaver suggested and enhanced), or Depends
   leaves out the package of a library the program needs;
 - its program is not the current build's, stripped, or its panel is not
   packaging/roamlets.xml;
 - `cmake --install`, to another prefix or under DESTDIR, lays out other
   files than the same three (the program as built), lists others in the
   install manifest, or leaves a link that does not run the program.

Usage: deb_check.py BUILD_DIR VERSION
Exit status 1 when there is a problem.
"""

import io
import os
import shutil
import stat
import subprocess
import sys
import tarfile
import tempfile
from pathlib import Path

SOURCE_XML = Path(__file__).resolve().parents[2] / "packaging" / "roamlets.xml"
PROGRAM = "libexec/xscreensaver/roamlets"
PANEL = "share/xscreensaver/config/roamlets.xml"
LINK = "bin/roamlets"
# Path under the prefix -> (kind, mode or link target).
LAYOUT = {PROGRAM: ("file", 0o755), PANEL: ("file", 0o644),
          LINK: ("link", "../libexec/xscreensaver/roamlets")}


def run(*command, **options):
    return subprocess.run(command, check=True, capture_output=True, text=True, **options).stdout


def cache_value(build, name):
    return next(line.split("=", 1)[1] for line in (build / "CMakeCache.txt").read_text().splitlines()
                if line.startswith(name + ":"))


def check_layout(entries, prefix):
    """entries maps each path to (kind, mode, link target)."""
    expected = {prefix + path: want for path, want in LAYOUT.items()}
    problems = []
    def describe(kind, value):
        return f"a link to {value}" if kind == "link" else f"a {kind} of mode {oct(value)}"

    for path, (kind, mode, target) in sorted(entries.items()):
        if path in expected:
            got = (kind, target if kind == "link" else mode)
            if got != expected[path]:
                problems.append(f"{path} is {describe(*got)}, not {describe(*expected[path])}")
        elif kind != "dir" or not any(name.startswith(path + "/") for name in expected):
            problems.append(f"holds {path}, which does not belong")
        elif mode != 0o755:
            problems.append(f"folder {path} has mode {oct(mode)}")
    problems += [f"lacks {path}" for path in sorted(set(expected) - set(entries))]
    return problems


def fields_of(deb):
    fields, name = {}, None
    for line in run("dpkg-deb", "--field", str(deb)).splitlines():
        if line.startswith(" ") and name:
            fields[name] += "\n" + line
        else:
            name, _, value = line.partition(":")
            fields[name] = value.strip()
    return fields


def owners(program):
    """Each library PROGRAM needs directly -> the installed package holding the
    file the dynamic linker loads for it."""
    needed = [line.split("[")[1].rstrip("]") for line in run("readelf", "-d", str(program)).splitlines()
              if "(NEEDED)" in line]
    loaded = dict(line.strip().split(" (")[0].split(" => ") for line in run("ldd", str(program)).splitlines()
                  if " => /" in line)
    found = {}
    for soname in needed:
        path = loaded.get(soname, "")
        # Debian's merged /usr: dpkg may know the file under the other name.
        for candidate in (path, path.removeprefix("/usr") if path.startswith("/usr/") else "/usr" + path):
            owner = subprocess.run(["dpkg", "-S", candidate], capture_output=True, text=True)
            if owner.returncode == 0:
                found[soname] = owner.stdout.split(":")[0]
                break
        else:
            found[soname] = None
    return found


def check_fields(fields, version, arch, program):
    problems = []
    for name, want in (("Package", "roamlets"), ("Version", version), ("Architecture", arch),
                       ("Section", "x11"), ("Maintainer", "The Roamlets Project"),
                       ("Suggests", "xscreensaver"), ("Enhances", "xscreensaver")):
        if fields.get(name) != want:
            problems.append(f"{name} is {fields.get(name)!r}, not {want!r}")
    if not fields.get("Description", "").strip():
        problems.append("has no Description")
    depends = {choice.split("(")[0].strip() for choice in
               fields.get("Depends", "").replace("|", ",").split(",")}
    for soname, package in owners(program).items():
        if package is None:
            problems.append(f"no installed package holds {soname}, which the program needs")
        elif package not in depends:
            problems.append(f"Depends ({fields.get('Depends')}) leaves out {package}, which holds {soname}")
    return problems


def check_package(deb, version, arch, build, scratch):
    archive = tarfile.open(fileobj=io.BytesIO(
        subprocess.run(["dpkg-deb", "--fsys-tarfile", str(deb)], check=True,
                       capture_output=True).stdout))
    members = {member.name.removeprefix("./").rstrip("/"): member for member in archive.getmembers()}
    members.pop("", None)
    kinds = {name: ("dir" if m.isdir() else "link" if m.issym() else "file" if m.isfile() else "other",
                    m.mode, m.linkname) for name, m in members.items()}
    problems = check_layout(kinds, "usr/")
    problems += [f"{name} is owned by {m.uid}:{m.gid}, not root"
                 for name, m in members.items() if (m.uid, m.gid) != (0, 0)]

    stripped = scratch / "roamlets"
    shutil.copyfile(build / "x11" / "roamlets", stripped)
    run(cache_value(build, "CMAKE_STRIP"), str(stripped))
    for path, want, what in ((PROGRAM, stripped.read_bytes(), "the current build's program, stripped"),
                             (PANEL, SOURCE_XML.read_bytes(), str(SOURCE_XML))):
        if "usr/" + path in members and archive.extractfile(members["usr/" + path]).read() != want:
            problems.append(f"usr/{path} is not {what}")
    return problems + check_fields(fields_of(deb), version, arch, stripped)


def tree(top):
    """Every path under TOP, relative to it -> (kind, mode, link target)."""
    entries = {}
    for folder, dirs, files in os.walk(top):
        for name in dirs + files:
            path = Path(folder, name)
            info = path.lstat()
            kind = ("link" if stat.S_ISLNK(info.st_mode) else
                    "dir" if stat.S_ISDIR(info.st_mode) else "file")
            entries[str(path.relative_to(top))] = (kind, stat.S_IMODE(info.st_mode),
                                                   os.readlink(path) if kind == "link" else "")
    return entries


def check_install(build, scratch):
    """cmake --install to another prefix, then under DESTDIR to the build's own prefix."""
    prefix = cache_value(build, "CMAKE_INSTALL_PREFIX")
    other, destdir = scratch / "prefix", scratch / "destdir"
    problems = []
    for how, options, env, top, installed_prefix in (
            ("--prefix", ["--prefix", str(other)], {}, other, str(other)),
            ("DESTDIR", [], {"DESTDIR": str(destdir)}, destdir, prefix)):
        run("cmake", "--install", str(build), *options, env={**os.environ, **env})
        under_top = installed_prefix.lstrip("/") + "/" if top == destdir else ""
        found = check_layout(tree(top), under_top)
        root = top / under_top
        if (root / PROGRAM).is_file() and \
                (root / PROGRAM).read_bytes() != (build / "x11" / "roamlets").read_bytes():
            found.append(f"{PROGRAM} is not the current build's program")
        if (root / LINK).is_symlink() and \
                not ((root / LINK).exists() and
                     subprocess.run([root / LINK, "--help"], capture_output=True, timeout=30).returncode == 0):
            found.append(f"{LINK} --help does not run the program")
        manifest = set((build / "install_manifest.txt").read_text().split())
        if manifest != {f"{installed_prefix}/{path}" for path in LAYOUT}:
            found.append(f"the install manifest lists {sorted(manifest)}")
        problems += [f"cmake --install ({how}): {problem}" for problem in found]
    return problems


def main(argv):
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    build, version = Path(argv[0]).resolve(), argv[1]
    arch = run("dpkg", "--print-architecture").strip()
    deb = build / f"roamlets_{version}_{arch}.deb"
    if not deb.is_file():
        print(f"{deb} does not exist: make it with cmake --build {build} --target package")
        return 1
    with tempfile.TemporaryDirectory() as scratch:
        problems = [f"{deb.name}: {problem}"
                    for problem in check_package(deb, version, arch, build, Path(scratch))]
        problems += check_install(build, Path(scratch))
    for problem in problems:
        print(problem)
    if not problems:
        print(f"{deb}: files, control fields and program as expected; cmake --install lays out the same")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
