"""Experiments on a real Dask cluster: worker processes on this machine's
loopback, the same tables byte for byte as the headless tool."""

import pytest

import vicinara as vc
from conftest import SMALL, folder_files
from test_experiment import SWEEPS, assert_same_as_tool, tool_folder

distributed = pytest.importorskip("distributed")


@pytest.fixture(scope="module")
def client():
    # Processes, on loopback only, no dashboard; bounded start and a clean end.
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, host="127.0.0.1",
                                  dashboard_address=None, worker_dashboard_address=None,
                                  timeout=120) as cluster, distributed.Client(cluster, timeout=120) as client:
        yield client


@pytest.mark.parametrize("name,exp,exp_texts", SWEEPS, ids=[s[0] for s in SWEEPS])
def test_a_dask_cluster_gives_the_headless_tools_tables(cli, tmp_path, client, name, exp, exp_texts):
    folder = tool_folder(cli, tmp_path, name, exp_texts)
    seen = []
    result = vc.experiment(name, seed=5, settings=SMALL, exp=exp, client=client, max_round_steps=20000,
                           progress=lambda done, planned: seen.append((done, planned)))
    assert seen[0] == (0, result.manifest["units"]) and seen[-1] == (result.manifest["units"],) * 2
    assert_same_as_tool(result, folder, tmp_path)
    # The units ran in the workers' processes, which loaded the module.
    loaded = client.run(lambda: "vicinara._vicinara" in __import__("sys").modules)
    assert len(loaded) == 2 and any(loaded.values())


def test_a_failing_unit_on_the_cluster_raises_experiment_error(client):
    with pytest.raises(vc.ExperimentError, match="did not settle"):
        vc.experiment("stability", seed=1, settings=SMALL, exp={"E_valFrom": 25, "E_valTo": 27},
                      max_round_steps=1, client=client)


def test_bad_input_is_refused_before_anything_is_sent(client):
    with pytest.raises(vc.InputError, match="please select a parameter"):
        vc.experiment("parameterspace", seed=1, client=client)
