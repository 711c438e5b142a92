#!/usr/bin/python3
"""Sweeps the tolerance threshold on a Dask cluster and plots the mean
segregation it ends in.

Starts a local cluster of worker processes on this machine's loopback (or
connects to a running scheduler with --scheduler ADDRESS), runs the
parameter-space experiment over the threshold with one task per
calculation, and draws the average over the calculations of each value,
with every calculation as a dot, into a PNG.

    PYTHONPATH=build/python /usr/bin/python3 examples/sweep_threshold_dask.py --out sweep.png
    PYTHONPATH=build/python /usr/bin/python3 examples/sweep_threshold_dask.py --small --out sweep.png
"""

import argparse

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt
from distributed import Client, LocalCluster

import vicinara as vc


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default="threshold_sweep.png", help="the PNG to write")
    parser.add_argument("--seed", type=int, default=7, help="seed of the sweep")
    parser.add_argument("--workers", type=int, default=2, help="worker processes of the local cluster")
    parser.add_argument("--scheduler", help="address of a running Dask scheduler instead of a local cluster")
    parser.add_argument("--small", action="store_true", help="a small world and few steps (a quick check)")
    args = parser.parse_args()

    # The global threshold, swept from 10 to 90 percent.
    settings = {"cb_individTol": 0}
    exp = {"CB_param": 3, "E_valFrom": 10, "E_valTo": 90, "E_incre": 10, "E_toSteps": 200, "E_calcVals": 3}
    if args.small:
        settings.update({"Edit_cellSiz": 17, "Edit_anzAg": 800})
        exp.update({"E_valFrom": 20, "E_valTo": 80, "E_incre": 30, "E_toSteps": 10, "E_calcVals": 2})

    if args.scheduler:
        client = Client(args.scheduler)
        cluster = None
    else:
        cluster = LocalCluster(n_workers=args.workers, threads_per_worker=1, processes=True, host="127.0.0.1",
                               dashboard_address=None)
        client = Client(cluster)
    try:
        result = vc.experiment("parameterspace", seed=args.seed, settings=settings, exp=exp, client=client)
    finally:
        client.close()
        if cluster is not None:
            cluster.close()

    runs = result.runs
    average = runs.groupby("value")["meanSegregation"].mean()
    figure, axes = plt.subplots(figsize=(7, 4.5))
    axes.plot(runs["value"], runs["meanSegregation"], "o", alpha=0.4, label="calculations")
    axes.plot(average.index, average.values, "-", linewidth=2, label="mean per threshold")
    axes.set_xlabel("tolerance threshold (%)")
    axes.set_ylabel("mean segregation index")
    axes.set_title(f"Threshold sweep, seed {result.seed}, {len(runs)} calculations")
    axes.legend()
    figure.tight_layout()
    figure.savefig(args.out, dpi=100)
    print(f"{args.out}: {len(runs)} calculations, seed {result.seed}")


if __name__ == "__main__":
    main()
