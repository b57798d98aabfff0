import json
import math
import subprocess

import pytest

import tadmor
from conftest import TADMOR_COMMAND


def the_command(*arguments):
    run = subprocess.run([TADMOR_COMMAND, "sensitivity", "--format", "json", *arguments],
                         capture_output=True, text=True)
    assert run.returncode == 0, run.stderr
    return json.loads(run.stdout)


def as_dict(table):
    """The rows of the table (DataFrame or dict of arrays) as dicts by column."""
    columns = {name: list(table[name]) for name in table.keys()}
    return [dict(zip(columns, values)) for values in zip(*columns.values())]


@pytest.mark.parametrize("arguments, inputs", [([], None), (["--set", "OutputRate=150", "--step", "2"], {"OutputRate": 150})])
def test_rows_equal_the_commands_json(arguments, inputs):
    expected = the_command(*arguments)
    rows = as_dict(tadmor.sensitivity(inputs, step=2 if inputs else 1))
    assert [row["input"] for row in rows] == [entry["input"] for entry in expected["inputs"]]
    for row, entry in zip(rows, expected["inputs"]):
        assert (row["base"], row["low"], row["high"]) == (entry["base"], entry["low"], entry["high"])
        for measure in ("melting", "power"):
            change = entry[measure]
            if "elasticity" in change:
                # json reads the command's shortest texts back to the same doubles: equal is bit for bit.
                assert row[f"{measure} elasticity"] == change["elasticity"]
                assert row[f"{measure} low (%)"] == change["lowPercent"]
                assert row[f"{measure} high (%)"] == change["highPercent"]
            else:
                assert math.isnan(row[f"{measure} elasticity"])
                assert row["why"] == change["why"]


def test_elasticity_of_the_throughput_agrees_with_two_runs():
    rows = {row["input"]: row for row in as_dict(tadmor.sensitivity())}
    xw = {rate: tadmor.run({"OutputRate": rate}).rows["X/W"][-1] for rate in (297, 300, 303)}
    assert rows["OutputRate"]["melting elasticity"] == pytest.approx((xw[303] - xw[297]) / xw[300] / 0.02, rel=1e-12)
    assert rows["BarrelC1"]["why"] == "base value 0: no relative change"


def test_a_failing_base_case_raises_its_error():
    with pytest.raises(tadmor.CalculationError) as error:
        tadmor.sensitivity({"BarrelC0": 200})
    assert "not above the melting point" in error.value.message
    assert error.value.increment == 1
    with pytest.raises(tadmor.InputError):
        tadmor.sensitivity(step=0)
    with pytest.raises(tadmor.InputError):
        tadmor.sensitivity({"ScrewSpeed": "fast"})
