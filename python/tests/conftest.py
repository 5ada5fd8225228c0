"""What the module's tests share: the build's command line, the examples, a CLI runner."""

import os
import subprocess
from pathlib import Path

import pytest

SOURCE = Path(os.environ["QUARVEL_SOURCE_DIR"])
CLI = os.environ["QUARVEL_CLI"]
ELCENTRO = str(SOURCE / "examples" / "elcentro-1940-ns.quarvel")


def run_cli(*arguments, cwd=None):
    """Runs quarvel-cli; the finished process (status, stdout, stderr as text)."""
    return subprocess.run([CLI, *arguments], capture_output=True, text=True, cwd=cwd,
                          check=False)


@pytest.fixture(name="cli")
def cli_fixture():
    return run_cli
