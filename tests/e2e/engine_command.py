"""How the whole-program tests start the engine.

The engine given on a test's command line runs directly, or behind the
command in TORLO_TEST_WRAPPER: with "/usr/lib/wine/wine64" the tests run the
Windows build under Wine. A wrapper may write lines of its own on standard
error; those starting with TORLO_TEST_WRAPPER_STDERR (for Wine "wine:") are
not the engine's and are left out of the standard-error checks.
"""
import os
import re
import shlex


def engine_command(path):
    """The argument list that starts the engine at path."""
    return shlex.split(os.environ.get("TORLO_TEST_WRAPPER", "")) + [path]


def wrapped():
    """True when the engine runs behind a wrapper."""
    return bool(os.environ.get("TORLO_TEST_WRAPPER", "").strip())


def engine_stderr(data):
    """The engine's own part of what was written on standard error (bytes or text)."""
    prefix = os.environ.get("TORLO_TEST_WRAPPER_STDERR", "")
    if not prefix:
        return data
    if isinstance(data, bytes):
        prefix = prefix.encode()
    return data[:0].join(line for line in data.splitlines(True) if not line.startswith(prefix))


def _version():
    cmake = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "cmake", "version.cmake")
    with open(cmake) as f:
        return re.search(r"set\(TORLO_VERSION (\S+)\)", f.read()).group(1)


# The engine's name as it prints it, from the one place the version is written.
ENGINE_NAME = "TORLO v" + _version()
