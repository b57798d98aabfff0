import json
import math
import os
import subprocess

import pytest

import tadmor
from conftest import TADMOR_COMMAND

MATERIAL = os.path.join(os.path.dirname(__file__), "..", "..", "materials", "default.material")


def the_command(*arguments):
    run = subprocess.run([TADMOR_COMMAND, "sensitivity", "--format", "json", *arguments],
                         capture_output=True, text=True)
    assert run.returncode == 0, run.stderr
    return json.loads(run.stdout)


def as_dict(table):
    """The rows of the table (DataFrame or dict of arrays) as dicts by column."""
    columns = {name: list(table[name]) for name in table.keys()}
    return [dict(zip(columns, values)) for values in zip(*columns.values())]


@pytest.mark.parametrize("arguments, keywords", [
    ([], {}),
    (["--set", "OutputRate=150", "--step", "2", "--kelvin", "3"], {"inputs": {"OutputRate": 150}, "step": 2, "kelvin": 3}),
    (["--material", MATERIAL, "--coefficients", "--rank-by", "power"],
     {"material": MATERIAL, "coefficients": True, "rank_by": "power"}),
])
def test_rows_equal_the_commands_json(arguments, keywords):
    expected = the_command(*arguments)
    rows = as_dict(tadmor.sensitivity(**keywords))
    assert [row["input"] for row in rows] == [entry["input"] for entry in expected["inputs"]]
    for row, entry in zip(rows, expected["inputs"]):
        for key in ("change", "unit", "base", "low", "high"):
            # json reads the command's shortest texts back to the same doubles: equal is bit for bit.
            assert row[key] == entry[key], (row["input"], key)
        for measure in ("melting", "power"):
            change = entry[measure]
            if "sensitivity" in change:
                assert row[f"{measure} sensitivity"] == change["sensitivity"]
                assert row[f"{measure} low (%)"] == change["lowPercent"]
                assert row[f"{measure} high (%)"] == change["highPercent"]
                assert row[f"{measure} why"] == ""
            else:
                assert math.isnan(row[f"{measure} sensitivity"])
                assert row[f"{measure} why"] == change["why"]


def test_elasticity_of_the_throughput_agrees_with_two_runs():
    rows = {row["input"]: row for row in as_dict(tadmor.sensitivity())}
    xw = {rate: tadmor.run({"OutputRate": rate}).rows["X/W"][-1] for rate in (297, 300, 303)}
    assert rows["OutputRate"]["melting sensitivity"] == pytest.approx((xw[303] - xw[297]) / xw[300] / 0.02, rel=1e-12)
    assert rows["BarrelC1"]["melting why"] == "base value 0: no relative change"


def test_a_failing_base_case_or_a_step_out_of_range_raises():
    with pytest.raises(tadmor.CalculationError) as error:
        tadmor.sensitivity({"BarrelC0": 200})
    assert "not above the melting point" in error.value.message
    assert error.value.increment == 1
    with pytest.raises(tadmor.InputError):
        tadmor.sensitivity({"ScrewSpeed": "fast"})
    # The command's rule and message.
    for keywords, option in (({"step": 0}, ["--step", "0"]), ({"step": math.nan}, ["--step", "nan"]),
                             ({"kelvin": math.inf}, ["--kelvin", "inf"]), ({"step": 100.5}, ["--step", "100.5"])):
        with pytest.raises(tadmor.InputError) as refused:
            tadmor.sensitivity(**keywords)
        run = subprocess.run([TADMOR_COMMAND, "sensitivity", *option], capture_output=True, text=True)
        assert run.returncode == 2
        assert run.stderr == f"tadmor: {refused.value.message}\n"
