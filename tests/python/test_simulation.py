"""One world from Python: settings as a user makes them, steps, the grid,
the measures, and the same numbers as the headless tool."""

import gc
import os
import signal
import threading
import time

import numpy as np
import pandas as pd
import pytest

import vicinara as vc
from conftest import SMALL, SMALL_TEXTS, set_options


def test_a_run_equals_the_headless_tools_csv(cli, tmp_path):
    settings = [SMALL, ("TrB_thresh", 40), ("E_rentMin", -0.5)]
    texts = SMALL_TEXTS + ["TrB_thresh=40", "E_rentMin=-0,5"]
    expected = tmp_path / "cli.csv"
    cli("run", "--steps", 40, "--seed", 9, *set_options(texts), "--csv", expected)

    frame = vc.run(steps=40, seed=9, settings=settings, csv=str(tmp_path / "py.csv"))
    assert (tmp_path / "py.csv").read_bytes() == expected.read_bytes()
    pd.testing.assert_frame_equal(frame, pd.read_csv(expected))
    assert len(frame) == 40 and frame.attrs["summary"]["seed"] == 9

    sim = vc.Simulation(seed=9, settings=settings)
    sim.step(15)
    sim.step(25)
    assert sim.table_text() == expected.read_text()
    pd.testing.assert_frame_equal(sim.table(), frame)


def test_set_ups_among_the_settings_as_on_the_command_line(cli):
    # 20000 agents are clamped to 12783 against the first 116 x 116 world;
    # after a set-up at cell size 3 (231 x 231) they fit.
    summary = vc.run(steps=2, seed=4, settings=[{"Edit_cellSiz": 3}, vc.SETUP, {"Edit_anzAg": 20000}]).attrs["summary"]
    assert summary["agents"] == 20000 and summary["grid"] == [231, 231]
    assert vc.run(steps=2, seed=4, settings={"Edit_cellSiz": 3, "Edit_anzAg": 20000}).attrs["summary"]["agents"] == 12783

    tool = cli("run", "--steps", 2, "--seed", 4, "--set", "Edit_cellSiz=3", "--setup", "--set", "Edit_anzAg=20000",
               "--csv", "-")
    sim = vc.Simulation(seed=4)
    sim.set("Edit_cellSiz", 3)
    sim.set("Edit_anzAg", 20000)
    assert sim.get("Edit_anzAg") == "12783"
    sim.new_setup()
    sim.set("Edit_anzAg", 20000)
    assert sim.get("Edit_anzAg") == "20000"
    sim.new_setup()
    sim.set_thresholds()
    sim.step(2)
    assert sim.table_text() == tool
    assert sim.measures()["agents"] == 20000


def test_values_become_the_text_a_user_types():
    assert [vc.setting_text(v) for v in ("7", True, False, 3, 3.0, 0.5, -1.25, np.int64(4), np.bool_(True))] == \
        ["7", "1", "0", "3", "3", "0,5", "-1,25", "4", "1"]
    sim = vc.Simulation(seed=1, settings=SMALL)
    sim.set("E_rentMin", 0.5)
    assert sim.get("E_rentMin") == "0,5"
    sim.set("cb_individTol", True)
    assert sim.get("cb_individTol") == "1"


def test_bad_names_and_values_raise_input_error_with_the_programs_message():
    sim = vc.Simulation(seed=1, settings=SMALL)
    cases = [
        (lambda: sim.set("NoSuch", 1), "unknown control 'NoSuch'; valid names: "),
        (lambda: sim.set("Edit_anzGr", "x"), "'x' ist kein gültiger Integerwert"),
        (lambda: sim.set("E_rentMin", "0.5"), "'0.5' ist kein gültiger Gleitkommawert"),
        (lambda: sim.set("Edit_anzGr", 2.5), "'2,5' ist kein gültiger Integerwert"),
        (lambda: sim.set("Edit_anzAg", None), "a setting takes text, a number or a boolean, not NoneType"),
        (lambda: sim.get("NoSuch"), "unknown control 'NoSuch'; valid names: "),
        (lambda: sim.step(-1), "steps must not be negative"),
        (lambda: vc.Simulation(settings={"Edit_anzGr": 1}), "the number of groups must be at least 2"),
        (lambda: vc.Simulation(settings=[5]), "a setting is a dict, a (name, value) pair, a 'CONTROL=VALUE' text"),
        (lambda: vc.run(steps=1, settings={"E_Rent9": 1}), "unknown control 'E_Rent9'"),
        (lambda: vc.run(steps=-1), "--steps must not be negative"),
        (lambda: vc.run(steps=1, streets="grid:0:1"), "--streets takes grid:N:M or random:COUNT"),
    ]
    for call, message in cases:
        with pytest.raises(vc.InputError) as caught:
            call()
        assert str(caught.value).startswith(message), (message, str(caught.value))
        assert isinstance(caught.value, ValueError)

    # A refused set-up leaves the world as it was.
    before = sim.state()
    sim.set("Edit_anzGr", 1)
    with pytest.raises(vc.InputError, match="the number of groups must be at least 2"):
        sim.new_setup()
    np.testing.assert_array_equal(sim.state(), before)
    sim.set("Edit_anzGr", 6)
    sim.step(1)


def test_the_grid_and_the_measures():
    sim = vc.Simulation(seed=2, settings=SMALL)
    sim.step(3)
    grid = sim.state()
    measures = sim.measures()
    assert grid.dtype == np.int32 and grid.shape == (41, 41)
    assert measures["grid"] == [41, 41] and measures["steps"] == 3
    assert [int((grid == g).sum()) for g in range(1, 7)] == measures["group_counts"]
    assert int((grid > 0).sum()) == measures["agents"] == 800
    assert len(measures["segregation_index"]) == 6 and len(measures["dissimilarity"]) == 6
    # A copy: changing it changes nothing in the world.
    grid[:] = 0
    assert int((sim.state() > 0).sum()) == 800
    assert sim.rent().shape == (41, 41)


def test_run_stops_at_the_stop_timestep():
    sim = vc.Simulation(seed=3, settings=[SMALL, ("E_stopT", 7)])
    assert sim.run() == 7
    assert sim.step_count == 7 and len(sim.table()) == 7
    assert sim.run() == 0
    sim.new_setup()
    assert sim.step_count == 0 and len(sim.table()) == 0


@pytest.mark.parametrize("start", ["world", "headless run"])
def test_ctrl_c_stops_a_long_run(start):
    # A million steps take minutes; Ctrl-C must come through within a tenth
    # of a second or so.
    interrupt = threading.Timer(0.3, lambda: os.kill(os.getpid(), signal.SIGINT))
    began = time.monotonic()
    interrupt.start()
    with pytest.raises(KeyboardInterrupt):
        if start == "world":
            vc.Simulation(seed=1, settings=SMALL).step(1_000_000)
        else:
            vc.run(steps=1_000_000, seed=1, settings=SMALL)
    interrupt.join()
    assert time.monotonic() - began < 20


def test_two_worlds_in_two_threads_give_what_each_gives_alone():
    def table(seed, out, key):
        sim = vc.Simulation(seed=seed, settings=SMALL)
        sim.step(60)
        out[key] = sim.table_text()

    alone = {}
    table(5, alone, 5)
    table(6, alone, 6)
    together = {}
    threads = [threading.Thread(target=table, args=(seed, together, seed)) for seed in (5, 6)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert together == alone and alone[5] != alone[6]


def test_one_world_shared_by_two_threads_runs_their_steps_one_after_the_other():
    sim = vc.Simulation(seed=8, settings=SMALL)
    threads = [threading.Thread(target=sim.step, args=(20,)) for _ in range(2)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    alone = vc.Simulation(seed=8, settings=SMALL)
    alone.step(40)
    assert sim.table_text() == alone.table_text()


def resident_kib():
    with open("/proc/self/statm") as f:
        pages = int(f.read().split()[1])
    import resource
    return pages * resource.getpagesize() // 1024


def test_a_world_is_freed_with_its_object():
    def cycle():
        sim = vc.Simulation(seed=1, settings=SMALL)
        sim.step(1)
        sim.state()
        del sim

    for _ in range(100):
        cycle()
    gc.collect()
    before = resident_kib()
    for _ in range(1000):
        cycle()
    gc.collect()
    # A default world holds some 3 MiB: a thousand kept would be gigabytes.
    assert resident_kib() - before < 20 * 1024
