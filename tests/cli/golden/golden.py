#!/usr/bin/python3
"""Runs one golden case of `vicinara-cli run` and compares it with the stored files.

    golden.py CLI CASES_FILE NAME WORK_DIR            compare
    golden.py CLI CASES_FILE NAME WORK_DIR --write    store the output as the new expectation

The CSV must match NAME.csv byte for byte. The JSON summary is parsed and
compared value for value with NAME.json (every number exact), leaving out the
timings, so that a change of layout alone is not a change of results.
Outputs too large to keep (a thousand groups write a million numbers) are
stored as SHA-256 digests instead: NAME.csv.sha256 of the CSV bytes and
NAME.json.sha256 of the summary written in one canonical form.
Rewriting the stored files is for a deliberate change of the model or of an
output's format only.
"""

import hashlib
import json
import math
import os
import shlex
import subprocess
import sys

STEPS = 300
# Wall-clock figures differ from run to run; everything else must not.
TIMING_KEYS = {"elapsed_ms", "setup_ms", "steps_ms"}
# Larger outputs are kept as digests.
LARGEST_STORED = 512 * 1024


def read_case(cases_file, name):
    with open(cases_file, encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            case, _, args = line.partition(":")
            if case.strip() == name:
                return shlex.split(args)
    sys.exit(f"no golden case '{name}' in {cases_file}")


def without_timings(summary):
    return {k: v for k, v in summary.items() if k not in TIMING_KEYS}


def differences(expected, actual, path="$"):
    """Lists where two parsed JSON values differ; numbers compare exactly."""
    if isinstance(expected, bool) or isinstance(actual, bool):
        return [] if type(expected) is type(actual) and expected == actual else [f"{path}: {expected!r} != {actual!r}"]
    if isinstance(expected, (int, float)) and isinstance(actual, (int, float)):
        # Python compares an int with a float exactly, without rounding either.
        return [] if expected == actual else [f"{path}: {expected!r} != {actual!r}"]
    if type(expected) is not type(actual):
        return [f"{path}: {expected!r} != {actual!r}"]
    if isinstance(expected, dict):
        found = []
        for key in expected:
            if key not in actual:
                found.append(f"{path}.{key}: missing")
            else:
                found += differences(expected[key], actual[key], f"{path}.{key}")
        found += [f"{path}.{key}: not expected" for key in actual if key not in expected]
        return found
    if isinstance(expected, list):
        if len(expected) != len(actual):
            return [f"{path}: {len(expected)} entries expected, {len(actual)} found"]
        found = []
        for i, (e, a) in enumerate(zip(expected, actual)):
            found += differences(e, a, f"{path}[{i}]")
        return found
    return [] if expected == actual else [f"{path}: {expected!r} != {actual!r}"]


def canonical(value):
    """One text per JSON value: keys sorted, no spaces, a whole-valued number
    written as an integer whichever way it was printed, other numbers exactly."""
    def normal(v):
        if isinstance(v, float) and math.isfinite(v) and v == int(v) and abs(v) < 2**53:
            return int(v)
        if isinstance(v, dict):
            return {k: normal(x) for k, x in v.items()}
        if isinstance(v, list):
            return [normal(x) for x in v]
        return v
    return json.dumps(normal(value), sort_keys=True, separators=(",", ":"), allow_nan=False)


def digest(data):
    return hashlib.sha256(data).hexdigest()


def first_different_line(expected, actual):
    e_lines, a_lines = expected.splitlines(), actual.splitlines()
    for i, (e, a) in enumerate(zip(e_lines, a_lines)):
        if e != a:
            return f"line {i + 1}:\n  expected {e}\n  found    {a}"
    return f"{len(e_lines)} lines expected, {len(a_lines)} found"


def main():
    if len(sys.argv) not in (5, 6) or (len(sys.argv) == 6 and sys.argv[5] != "--write"):
        sys.exit(__doc__)
    cli, cases_file, name, work_dir = sys.argv[1:5]
    write = len(sys.argv) == 6
    golden_dir = os.path.dirname(os.path.abspath(cases_file))
    os.makedirs(work_dir, exist_ok=True)
    csv_path = os.path.join(work_dir, name + ".csv")

    command = [cli, "run", "--steps", str(STEPS), *read_case(cases_file, name), "--csv", csv_path, "--json"]
    run = subprocess.run(command, capture_output=True, text=True)
    if run.returncode != 0:
        sys.exit(f"{shlex.join(command)} failed ({run.returncode}):\n{run.stderr}")
    summary = without_timings(json.loads(run.stdout))
    with open(csv_path, "rb") as f:
        csv = f.read()

    expected_csv_path = os.path.join(golden_dir, name + ".csv")
    expected_json_path = os.path.join(golden_dir, name + ".json")
    json_text = canonical(summary).encode()
    if write:
        for path in (expected_csv_path, expected_json_path):
            for old in (path, path + ".sha256"):
                if os.path.exists(old):
                    os.remove(old)
        if len(csv) > LARGEST_STORED or len(json_text) > LARGEST_STORED:
            with open(expected_csv_path + ".sha256", "w", encoding="utf-8") as f:
                f.write(digest(csv) + "\n")
            with open(expected_json_path + ".sha256", "w", encoding="utf-8") as f:
                f.write(digest(json_text) + "\n")
        else:
            with open(expected_csv_path, "wb") as f:
                f.write(csv)
            with open(expected_json_path, "w", encoding="utf-8") as f:
                json.dump(summary, f, indent=1)
                f.write("\n")
        print(f"stored the expected output of {name} in {golden_dir}")
        return

    failures = []
    if os.path.exists(expected_csv_path + ".sha256"):
        with open(expected_csv_path + ".sha256", encoding="utf-8") as f:
            if digest(csv) != f.read().strip():
                failures.append(f"CSV differs from the stored digest (output in {csv_path})")
        with open(expected_json_path + ".sha256", encoding="utf-8") as f:
            if digest(json_text) != f.read().strip():
                failures.append("JSON differs from the stored digest")
    else:
        with open(expected_csv_path, "rb") as f:
            expected_csv = f.read()
        if csv != expected_csv:
            failures.append("CSV differs at " + first_different_line(expected_csv.decode(), csv.decode()))
        with open(expected_json_path, encoding="utf-8") as f:
            expected_summary = without_timings(json.load(f))
        found = differences(expected_summary, summary)
        if found:
            failures.append("JSON differs:\n  " + "\n  ".join(found[:20]) +
                            (f"\n  ... {len(found)} in all" if len(found) > 20 else ""))
    if failures:
        sys.exit(f"golden case {name} ({shlex.join(command)}):\n" + "\n".join(failures))
    print(f"golden case {name}: CSV and JSON as stored")


if __name__ == "__main__":
    main()
