# The Dask example on a LocalCluster of two worker processes, against tadmor.sweep.
import pandas as pd
from dask.distributed import Client, LocalCluster

import dask_sweep
import tadmor


def test_the_study_on_two_workers_equals_the_sweep():
    varied = {"ScrewSpeed": "30:80:10", "BarrelC0": [260, 280]}
    base = {"OutputRate": 40}
    with LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None) as cluster, \
            Client(cluster) as client:
        study = dask_sweep.run_study(client, varied, base, chunks=5)
    pd.testing.assert_frame_equal(study, tadmor.sweep(varied, base))
    assert len(study) == 12
