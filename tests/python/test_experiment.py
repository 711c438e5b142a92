"""Experiments from Python: the same tables as the headless tool, byte for
byte, on local threads and on a Dask cluster of processes."""

import os

import pandas as pd
import pytest

import vicinara as vc
from conftest import SMALL, SMALL_TEXTS, folder_files, set_options

# Small sweeps of every kind that writes tables of its own.
SWEEPS = [
    ("parameterspace", {"CB_param": 0, "E_toSteps": 10}, ["CB_param=0", "E_toSteps=10"]),
    ("growth", {"E_valFrom": 20, "E_valTo": 40, "E_toSteps": 12, "E_calcVals": 2},
     ["E_valFrom=20", "E_valTo=40", "E_toSteps=12", "E_calcVals=2"]),
    ("stability", {"E_valFrom": 25, "E_valTo": 27, "E_calcRds": 2, "Cb_acti3d": 1, "CB_param": 3,
                   "E_thirdFrom": 3, "E_thirdTo": 4},
     ["E_valFrom=25", "E_valTo=27", "E_calcRds=2", "Cb_acti3d=1", "CB_param=3", "E_thirdFrom=3", "E_thirdTo=4"]),
]


def tool_folder(cli, tmp_path, name, exp_texts, seed=5, settings=SMALL_TEXTS):
    folder = tmp_path / ("cli-" + name)
    options = set_options(settings)
    for text in exp_texts:
        options += ["--exp", text]
    cli("experiment", name, *options, "--seed", seed, "--threads", 2, "--max-round-steps", 20000, "--out", folder)
    return folder


def assert_same_as_tool(result, folder, tmp_path):
    expected = folder_files(folder)
    assert result.files == expected
    written = tmp_path / "written"
    result.write(str(written))
    assert folder_files(written) == expected
    for table in ("runs", "steps", "rises"):
        path = folder / (table + ".csv")
        frame = getattr(result, table)
        if path.exists():
            pd.testing.assert_frame_equal(frame, pd.read_csv(path))
        else:
            assert frame is None
    assert result.summary == vc.ExperimentResult.read(str(folder)).summary


@pytest.mark.parametrize("name,exp,exp_texts", SWEEPS, ids=[s[0] for s in SWEEPS])
def test_local_threads_equal_the_headless_tool(cli, tmp_path, name, exp, exp_texts):
    folder = tool_folder(cli, tmp_path, name, exp_texts)
    result = vc.experiment(name, seed=5, settings=SMALL, exp=exp, threads=2, max_round_steps=20000)
    assert_same_as_tool(result, folder, tmp_path)
    assert result.seed == 5 and result.manifest["experiment"] == name


def test_set_ups_are_recorded_and_an_output_folder_is_kept(cli, tmp_path):
    settings = [{"Edit_cellSiz": 17}, vc.SETUP, {"Edit_anzAg": 3000, "cb_individTol": 0}]
    texts = ["Edit_cellSiz=17", "--setup", "Edit_anzAg=3000", "cb_individTol=0"]
    folder = tool_folder(cli, tmp_path, "parameterspace", SWEEPS[0][2], seed=11, settings=texts)
    result = vc.experiment("parameterspace", seed=11, settings=settings, exp=SWEEPS[0][1], max_round_steps=20000,
                           out=str(tmp_path / "kept"))
    assert result.manifest["set"] == texts
    assert folder_files(tmp_path / "kept") == folder_files(folder)
    with pytest.raises(vc.InputError, match="already holds a run"):
        vc.experiment("parameterspace", seed=11, settings=settings, exp=SWEEPS[0][1], max_round_steps=20000,
                      out=str(tmp_path / "kept"))


def test_bad_experiments_raise_input_error():
    cases = [
        (dict(name="nosuch"), "unknown experiment 'nosuch'; valid names: parameterspace, growth, streets, stability"),
        (dict(name="parameterspace"), "please select a parameter"),
        (dict(name="growth", exp={"E_valFrom": "x"}), "'x' ist kein gültiger Integerwert"),
        (dict(name="growth", exp={"NoSuch": 1}), "unknown control 'NoSuch'; valid names: "),
        (dict(name="growth", settings={"NoSuch": 1}), "unknown control 'NoSuch'; valid names: "),
        (dict(name="growth", threads=0), "threads must be at least 1"),
    ]
    for arguments, message in cases:
        with pytest.raises(vc.InputError) as caught:
            vc.experiment(seed=1, **arguments)
        assert str(caught.value).startswith(message), (message, str(caught.value))


def test_a_unit_that_fails_raises_experiment_error():
    with pytest.raises(vc.ExperimentError, match="did not settle"):
        vc.experiment("stability", seed=1, settings=SMALL, exp={"E_valFrom": 25, "E_valTo": 27},
                      max_round_steps=1)


def test_progress_is_told_the_units_done():
    seen = []
    vc.experiment("parameterspace", seed=5, settings=SMALL, exp=SWEEPS[0][1], threads=2,
                  progress=lambda done, planned: seen.append((done, planned)))
    assert seen and seen[-1] == (9, 9)
    assert [d for d, _ in seen] == sorted(d for d, _ in seen)

    # An error of the progress function stops the workers and comes through.
    def refuse(done, planned):
        raise KeyError("enough")

    with pytest.raises(KeyError, match="enough"):
        vc.experiment("growth", seed=5, settings=SMALL, exp={"E_toSteps": 50}, progress=refuse)
