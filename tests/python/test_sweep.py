import os
import signal
import subprocess
import sys
import time

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


def german_locale(folder):
    """The environment of a German locale (decimal comma) built in `folder`, or None."""
    built = subprocess.run(["localedef", "-i", "de_DE", "-f", "UTF-8", str(folder / "de_DE.UTF-8")],
                           capture_output=True)
    if built.returncode not in (0, 1) or not (folder / "de_DE.UTF-8").exists():
        return None
    return {**os.environ, "LOCPATH": str(folder), "LC_ALL": "de_DE.UTF-8"}


def test_values_read_alike_under_a_locale_with_a_decimal_comma(tmp_path):
    environment = german_locale(tmp_path)
    if environment is None:
        pytest.skip("localedef cannot build de_DE.UTF-8 (the Debian package locales)")
    script = ("import locale, tadmor; locale.setlocale(locale.LC_ALL, ''); assert locale.localeconv()['decimal_point'] == ','; "
              "s = tadmor.sweep({'ScrewSpeed': '45.5,50'}); print(list(s['ScrewSpeed']))")
    run = subprocess.run([sys.executable, "-c", script], env=environment, capture_output=True, text=True)
    assert run.returncode == 0, run.stderr
    assert run.stdout == "[45.5, 50.0]\n"


def test_ctrl_c_stops_a_sweep_and_keeps_the_cases_finished(tmp_path):
    script = ("import tadmor\n"
              "print('ready', flush=True)\n"
              "try:\n"
              "    tadmor.sweep({'ScrewSpeed': '20:80:0.01'}, jobs=2)\n"
              "except tadmor.Interrupted as stopped:\n"
              "    assert isinstance(stopped, KeyboardInterrupt)\n"
              "    print(len(stopped.partial), stopped.message)\n")
    child = subprocess.Popen([sys.executable, "-c", script], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    assert child.stdout.readline() == "ready\n"
    time.sleep(0.5)  # into the sweep, which takes about 10 s
    child.send_signal(signal.SIGINT)
    out, err = child.communicate(timeout=60)
    assert child.returncode == 0, err
    finished, message = out.split(" ", 1)
    assert 0 < int(finished) < 6001
    assert message == f"the sweep was stopped: {finished} of 6001 cases finished (in .partial)\n"


@pytest.mark.parametrize("varied,says", [({"ScrewSpeed": []}, "no values"), ({"ScrewSpeed": "40,,50"}, "empty value"),
                                          ({"ScrewSpeed": [40, "a"]}, "not a text"),
                                          ({"ScrewSpeed": [10 ** 400]}, "beyond the range of a double"),
                                          ({"ScrewSpeed": {"a": 1}}, "not a text"),
                                          ({"ScrewSpeed": [float("nan")]}, "")])
def test_every_value_is_checked_before_the_first_case(varied, says):
    with pytest.raises(tadmor.InputError, match=says):
        tadmor.sweep(varied)
