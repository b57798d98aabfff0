#!/usr/bin/env python3
"""A large sweep on a Dask cluster: one task per chunk of cases, each chunk a
shard of the sweep run by tadmor.sweep on its worker, gathered into one
DataFrame in case order.

    python3 examples/dask_sweep.py --vary ScrewSpeed=20:120:1 --vary BarrelC0=200:300:10 \\
        --chunks 64 -o summary.csv [--scheduler tcp://HOST:8786]

Without --scheduler a LocalCluster is started on this machine. Every worker
needs `import tadmor` (PYTHONPATH as for the module itself).
"""
import argparse

import pandas as pd
from dask.distributed import Client, LocalCluster

import tadmor


def run_chunk(varied, base, chunk, chunks):
    return tadmor.sweep(varied, base, jobs=1, shard=(chunk, chunks))


def run_study(client, varied, base=None, chunks=8):
    """The summary of the whole sweep, as tadmor.sweep returns it."""
    futures = [client.submit(run_chunk, varied, base, k, chunks, pure=False) for k in range(chunks)]
    parts = client.gather(futures)
    return pd.concat(parts).sort_values("case").reset_index(drop=True)


def parse_vary(option):
    name, _, values = option.partition("=")
    return name, values


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--vary", action="append", required=True, metavar="NAME=FROM:TO:STEP|V1,V2,...")
    parser.add_argument("--set", action="append", default=[], metavar="NAME=TEXT", help="a base case input")
    parser.add_argument("--chunks", type=int, default=8, help="tasks, one chunk of cases each")
    parser.add_argument("--scheduler", help="address of a running Dask scheduler")
    parser.add_argument("--workers", type=int, default=2, help="workers of the LocalCluster")
    parser.add_argument("-o", "--output", required=True, help="the summary CSV")
    options = parser.parse_args(argv)

    varied = dict(parse_vary(v) for v in options.vary)
    base = dict(parse_vary(s) for s in options.set)
    if options.scheduler:
        client = Client(options.scheduler)
    else:
        client = Client(LocalCluster(n_workers=options.workers, threads_per_worker=1))
    with client:
        summary = run_study(client, varied, base, options.chunks)
    summary.to_csv(options.output, index=False)
    print(f"{len(summary)} cases, {(summary['outcome'] == 'melting completed').sum()} melted: {options.output}")


if __name__ == "__main__":
    main()
