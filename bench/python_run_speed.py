#!/usr/bin/python3
"""Compares a vc.run with the headless tool's run of the same steps and seed.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_run_speed.py build/cli/vicinara-cli [STEPS] [REPEATS]

Prints the median CPU and wall seconds of each and their ratio. pandas is
imported before the clock starts, as in any notebook; the tool's time is that
of its whole process writing --csv to a file.
"""

import resource
import statistics
import subprocess
import sys
import tempfile
import time

import pandas  # noqa: F401  (imported once, as a notebook has it)

import vicinara as vc


def children_cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def main():
    cli = sys.argv[1]
    steps = int(sys.argv[2]) if len(sys.argv) > 2 else 2000
    repeats = int(sys.argv[3]) if len(sys.argv) > 3 else 5
    tool_cpu, tool_wall, py_cpu, py_wall = [], [], [], []
    with tempfile.TemporaryDirectory() as scratch:
        for _ in range(repeats):
            before, start = children_cpu(), time.perf_counter()
            subprocess.run([cli, "run", "--steps", str(steps), "--seed", "1", "--csv", scratch + "/run.csv"], check=True)
            tool_wall.append(time.perf_counter() - start)
            tool_cpu.append(children_cpu() - before)
            cpu, start = time.process_time(), time.perf_counter()
            vc.run(steps=steps, seed=1)
            py_wall.append(time.perf_counter() - start)
            py_cpu.append(time.process_time() - cpu)
    for name, tool, py in (("cpu", tool_cpu, py_cpu), ("wall", tool_wall, py_wall)):
        t, p = statistics.median(tool), statistics.median(py)
        print(f"{name}: vicinara-cli run {t:.3f} s, vc.run {p:.3f} s, ratio {p / t:.3f}")


if __name__ == "__main__":
    main()
