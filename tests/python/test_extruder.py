import csv
import json
import subprocess

import pytest

import tadmor
from conftest import TADMOR_COMMAND

DIE = "capillary:D=0.5,L=10"


def command(*arguments, cwd, returncode=0):
    run = subprocess.run([TADMOR_COMMAND, "extruder", "--die", DIE, *arguments], cwd=cwd, capture_output=True, text=True)
    assert run.returncode == returncode, run.stderr
    return run


@pytest.mark.parametrize("arguments,keywords,key", [
    ([], dict(), "operatingPoint"),
    (["--feed", "given", "--set", "OutputRate=150", "--clearance", "0.2mm", "--start-pressure", "2"],
     dict(inputs={"OutputRate": 150}, feed="given", clearance="0.2mm", start_pressure=2), "atThroughput"),
])
def test_the_answer_equals_the_commands_json(tmp_path, arguments, keywords, key):
    expected = json.loads(command(*arguments, "--format", "json", cwd=tmp_path).stdout)
    result = tadmor.extruder(die=DIE, **keywords)
    assert result.operating_point == expected[key]  # bit for bit: json reads the shortest texts back
    assert len(result.rows) == len(expected["rows"])
    assert list(result.rows["P"]) == [row["P"] for row in expected["rows"]]
    assert [w.code for w in result.warnings] == [w["code"] for w in expected["warnings"]]


def test_the_curve_equals_the_commands_csv(tmp_path):
    command("--over", "ScrewSpeed=30,38", "-o", "curve.csv", cwd=tmp_path)
    with open(tmp_path / "curve.csv") as file:
        lines = list(csv.reader(file))
    curve = tadmor.extruder(die=DIE, over={"ScrewSpeed": [30, 38]}, jobs=2)
    assert list(curve.columns) == lines[0]
    for (_, row), line in zip(curve.iterrows(), lines[1:]):
        assert [float(v) for v in line[:7]] == list(row)[:7]


@pytest.mark.parametrize("keywords", [dict(die="nozzle:D=1"), dict(die=DIE, clearance="thin"),
                                      dict(die=DIE, feed="pumped"), dict(die=DIE, inputs={"ScrewSpeed": -1})])
def test_refusals_raise_input_errors(keywords):
    with pytest.raises(tadmor.InputError):
        tadmor.extruder(**keywords)


def test_no_operating_point_is_a_result_that_says_why():
    result = tadmor.extruder(die="capillary:D=0.1,L=10")
    assert result.operating_point is None
    assert result.none.startswith("the screw cannot push this die")
    lowest = result.characteristic[0]  # the screw's highest pressure, the die's lowest need
    assert len(result.characteristic) == 21 and lowest["tip_pressure"] < lowest["die_drop"]
