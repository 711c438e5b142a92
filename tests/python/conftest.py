"""What the module's tests share: the headless tool to compare with, small worlds."""

import os
import subprocess

import pytest

# 41 x 41 cells, 800 agents, the global threshold: fast and still busy.
SMALL = {"Edit_cellSiz": 17, "Edit_anzAg": 800, "cb_individTol": False}
SMALL_TEXTS = ["Edit_cellSiz=17", "Edit_anzAg=800", "cb_individTol=0"]


@pytest.fixture(scope="session")
def cli():
    """Runs vicinara-cli with the given arguments; returns its standard output."""
    path = os.environ.get("VICINARA_CLI")
    if not path:
        pytest.skip("VICINARA_CLI names no headless tool")

    def call(*args):
        done = subprocess.run([path, *map(str, args)], capture_output=True, text=True, timeout=600)
        assert done.returncode == 0, done.stderr
        return done.stdout

    return call


def set_options(texts):
    """--set/--setup options of the headless tool for setting texts."""
    options = []
    for text in texts:
        options += ["--setup"] if text == "--setup" else ["--set", text]
    return options


def folder_files(folder):
    """Every file of a folder by name, with its bytes."""
    files = {}
    for name in sorted(os.listdir(folder)):
        with open(os.path.join(folder, name), "rb") as f:
            files[name] = f.read()
    return files
