import numpy as np
import pandas as pd
import pytest

import tadmor


def test_each_case_equals_its_run():
    summary = tadmor.sweep({"ScrewSpeed": [40, 60], "BarrelC0": "280:320:20"}, {"OutputRate": 45}, jobs=2)
    assert list(summary["case"]) == list(range(6))
    assert list(summary["ScrewSpeed"]) == [40, 40, 40, 60, 60, 60]
    assert list(summary["BarrelC0"]) == [280, 300, 320] * 2
    for _, case in summary.iterrows():
        result = tadmor.run({"OutputRate": 45, "ScrewSpeed": case["ScrewSpeed"], "BarrelC0": case["BarrelC0"]})
        assert case["outcome"] == result.outcome
        assert case["rows"] == len(result.rows)
        last = result.rows[-1]
        # At the end of the screw: no solid is left once melting completed.
        melted = result.melting_completed_at is not None
        assert [case["X/W at end (-)"], case["QS/QT at end (-)"]] == ([0, 0] if melted else [last["X/W"], last["QS/QT"]])
        assert [case["POWER TOT at end (kW)"], case["POWER VIS at end (kW)"]] == [last["POWER TOT"], last["POWER VIS"]]
        flight = case["melting completed at FLIGHT (turns)"]
        assert (np.isnan(flight) and result.melting_completed_at is None) or flight == result.melting_completed_at
        assert case["warnings"] == " ".join(dict.fromkeys(w.code for w in result.warnings))


def test_a_failing_case_is_a_row_not_an_exception():
    summary = tadmor.sweep({"OutputRate": [0, 30]})
    assert list(summary["outcome"]) == ["invalid input", tadmor.run({"OutputRate": 30}).outcome]
    assert summary["message"][0] == "Value of Flow Rate is not correct"
    assert summary["rows"][0] == 0 and np.isnan(summary["X/W at end (-)"][0])


def test_shards_together_are_the_whole_sweep():
    varied = {"ScrewSpeed": "30:70:10"}
    whole = tadmor.sweep(varied)
    parts = pd.concat([tadmor.sweep(varied, shard=(k, 2)) for k in range(2)]).sort_values("case")
    pd.testing.assert_frame_equal(parts.reset_index(drop=True), whole)


def test_a_bad_vary_raises_an_input_error():
    with pytest.raises(tadmor.InputError):
        tadmor.sweep({"NoSuchInput": [1, 2]})
