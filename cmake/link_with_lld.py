#!/usr/bin/env python3
"""Links with LLD what the mingw-w64 compiler driver would hand to GNU ld.

The driver of this gcc ignores -fuse-ld=lld, so the link is taken apart
here: the driver is asked (-###) for the linker command it would run, and the
same arguments, without the plugin options that only GNU ld's collect2 knows,
go to ld.lld. The driver chooses the emulation (-m i386pe or i386pep), the
start-up objects and the run-time libraries exactly as for GNU ld.

usage: link_with_lld.py LD_LLD COMPILER_DRIVER ARGS...
(the compiler command of a link, as CMake runs it, after the linker path)
"""

import shlex
import subprocess
import sys


def linker_arguments(driver_command):
    """The arguments the driver would give to its linker (collect2)."""
    dry = subprocess.run(driver_command + ["-###"], capture_output=True, text=True)
    if dry.returncode != 0:
        sys.stderr.write(dry.stderr)
        raise SystemExit(dry.returncode)
    for line in dry.stderr.splitlines():
        words = shlex.split(line)
        if words and words[0].endswith(("collect2", "/ld", "-ld")):
            break
    else:
        raise SystemExit("link_with_lld: the compiler driver named no linker command")
    arguments = []
    rest = iter(words[1:])
    for word in rest:
        if word == "-plugin":
            next(rest, None)
        elif not word.startswith("-plugin-opt"):
            arguments.append(word)
    return arguments


def main(argv):
    if len(argv) < 2:
        raise SystemExit(__doc__)
    lld, driver_command = argv[0], argv[1:]
    return subprocess.run([lld] + linker_arguments(driver_command)).returncode


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
