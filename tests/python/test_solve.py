import csv
import json
import math
import subprocess

import pytest

import tadmor
from conftest import REFERENCE_DIR, TADMOR_COMMAND


def command(*arguments, cwd, returncode=0):
    run = subprocess.run([TADMOR_COMMAND, "solve", *arguments], cwd=cwd, capture_output=True, text=True)
    assert run.returncode == returncode, run.stderr
    return run


def as_json(point):
    """A SolvePoint as the command's JSON writes one calculation."""
    fields = {"value": point.value, "outcome": point.outcome, "message": point.message or None}
    if point.target_met is not None:
        fields.update(rows=point.rows, meltingCompletedAtFlight=point.melting_completed_at, solidFractionAtEnd=point.xw_at_end,
                      totalPower=point.power_total, viscousPower=point.power_viscous, targetMet=point.target_met,
                      warnings=point.warnings)
    if point.not_met_at is not None:
        fields["notMetAt"] = point.not_met_at
    if point.failed_between is not None:
        fields["failedBetween"] = point.failed_between
    return fields


def assert_equals_the_command(result, expected):
    # Python's json reads the command's shortest texts back to the same doubles: equal here is bit for bit.
    assert result.input == expected["input"]
    assert list(result.range) == expected["range"]
    assert result.target == expected["target"]
    assert result.outcome == expected["outcome"]
    assert result.calculations == expected["calculations"]
    assert result.failed_calculations == expected["failedCalculations"]
    assert [as_json(s) for s in result.solutions] == expected["solutions"]
    assert [as_json(b) for b in result.brackets] == expected["brackets"]
    # Each value is the double of the text its calculation was given.
    for point in [*result.solutions, *result.brackets, result.low, result.high]:
        assert point.value == float(point.text)
    assert as_json(result.low) == expected["low"]
    assert as_json(result.high) == expected["high"]


SOLVES = {
    "capacity of the default case": (["--for", "OutputRate", "--melted-at", "end"],
                                     dict(input="OutputRate", melted_at="end")),
    "screw speed of the large extruder for X/W 0.3": (
        ["--case", str(REFERENCE_DIR / "large-extruder.case"), "--for", "ScrewSpeed", "--xw-at-end", "0.3"],
        dict(input="ScrewSpeed", xw_at_end=0.3, case=str(REFERENCE_DIR / "large-extruder.case"))),
    "output rate melted by FLIGHT 14 in a given range": (
        ["--set", "ScrewSpeed=75", "--for", "OutputRate", "--melted-at", "14", "--range", "20:200", "--intervals", "8"],
        dict(input="OutputRate", melted_at=14, range=(20, 200), intervals=8, inputs={"ScrewSpeed": 75})),
    "melted by the end of the compression zone, the bed within the channel": (
        ["--for", "OutputRate", "--melted-at", "compression-end", "--bed-within-channel"],
        dict(input="OutputRate", melted_at="compression-end", bed_within_channel=True)),
    "a range of many decades": (["--for", "OutputRate", "--melted-at", "end", "--range", "1e-300:1e300"],
                                dict(input="OutputRate", melted_at="end", range="1e-300:1e300")),
}


@pytest.mark.parametrize("arguments,keywords", SOLVES.values(), ids=SOLVES.keys())
def test_solve_equals_the_command_json(tmp_path, arguments, keywords):
    expected = json.loads(command(*arguments, "--format", "json", cwd=tmp_path).stdout)
    assert expected["solutions"]
    assert_equals_the_command(tadmor.solve(**keywords), expected)


def test_a_solution_reruns_to_its_result_and_its_neighbour_misses_the_target():
    solution, = tadmor.solve("OutputRate", melted_at="end").solutions
    melted = tadmor.run({"OutputRate": solution.text})
    assert melted.melting_completed_at == solution.melting_completed_at
    assert len(melted.rows) == solution.rows
    assert melted.rows[-1]["POWER TOT"] == solution.power_total
    assert tadmor.run({"OutputRate": solution.not_met_at}).outcome == "end of screw"


@pytest.mark.parametrize("arguments,keywords", [
    (["--for", "OutputRate", "--melted-at", "end", "--range", "300:400"],
     dict(input="OutputRate", melted_at="end", range="300:400")),
    # One end fails to calculate, the other leaves solid: still a result without solutions.
    (["--case", str(REFERENCE_DIR / "comma.case"), "--decimal-separator", ",", "--for", "BarrelC0", "--melted-at", "20"],
     dict(input="BarrelC0", melted_at=20, case=str(REFERENCE_DIR / "comma.case"), decimal_separator=",")),
    (["--for", "OutputRate", "--xw-at-end", "2"], dict(input="OutputRate", xw_at_end=2)),
    # The barrel at this case's melting point, 265 degC, fails between one that melts and one that does not.
    (["--case", str(REFERENCE_DIR / "small-extruder-hot.case"), "--for", "BarrelC0", "--melted-at", "end",
      "--range", "260:270"],
     dict(input="BarrelC0", melted_at="end", case=str(REFERENCE_DIR / "small-extruder-hot.case"), range=(260, 270))),
], ids=["solid left over the whole range", "an end that fails", "met throughout", "a bracket"])
def test_no_solution_in_the_range_is_a_result_as_the_command_exit_seven(tmp_path, arguments, keywords):
    expected = json.loads(command(*arguments, "--format", "json", cwd=tmp_path, returncode=7).stdout)
    result = tadmor.solve(**keywords)
    assert result.solutions == []
    assert result.outcome != "solved"
    assert_equals_the_command(result, expected)


def test_a_value_is_the_double_of_its_text():
    result = tadmor.solve("OutputRate", melted_at="end", range=(50, 97.3))
    assert (result.high.text, result.high.value) == ("97.3", 97.3)


def test_neither_end_calculating_raises_the_base_case_error(tmp_path):
    expected = json.loads(command("--for", "ScrewSpeed", "--melted-at", "end", "--range", "-10:-5", "--format", "json",
                                  cwd=tmp_path, returncode=3).stdout)
    with pytest.raises(tadmor.InputError) as error:
        tadmor.solve("ScrewSpeed", melted_at="end", range=(-10, -5))
    assert error.value.message == expected["low"]["message"] == "Value of Number of Revolution is not correct"


# The same mistake refused by both, each in the words of its own arguments.
@pytest.mark.parametrize("arguments,keywords,message", [
    (["--for", "Nope", "--melted-at", "end"], dict(input="Nope", melted_at="end"), 'no numeric input named "Nope"'),
    (["--for", "OutputRate", "--melted-at", "end", "--xw-at-end", "0.1"],
     dict(input="OutputRate", melted_at="end", xw_at_end=0.1), "give one target: melted_at or xw_at_end"),
    (["--for", "OutputRate", "--melted-at", "soon"], dict(input="OutputRate", melted_at="soon"),
     'melted_at is a FLIGHT, "compression-end" or "end"'),
    (["--for", "OutputRate", "--melted-at", "end", "--range", "5:1"], dict(input="OutputRate", melted_at="end", range=(5, 1)),
     "a range needs finite LO < HI"),
    (["--for", "OutputRate", "--melted-at", "end", "--range", "254.81:254.84"],
     dict(input="OutputRate", melted_at="end", range="254.81:254.84"),
     "the range 254.81:254.84 holds no value of OutputRate at its precision of 0.1: widen it to at least 254.8:254.9"),
    (["--for", "OutputRate", "--melted-at", "end", "--over", "OutputRate=100,200", "-o", "c.csv"],
     dict(input="OutputRate", melted_at="end", over={"OutputRate": [100, 200]}),
     "the input varied over, OutputRate, is the input solved for: vary another"),
])
def test_usage_errors_raise_input_errors(tmp_path, arguments, keywords, message):
    command(*arguments, cwd=tmp_path, returncode=2)
    with pytest.raises(tadmor.InputError) as error:
        tadmor.solve(**keywords)
    assert error.value.message == message


def test_over_curve_equals_the_command_csv(tmp_path):
    command("--for", "OutputRate", "--melted-at", "end", "--range", "100:300", "--over", "ScrewSpeed=-5,10,40,60",
            "-o", "curve.csv", "--jobs", "2", cwd=tmp_path)
    with open(tmp_path / "curve.csv") as file:
        lines = list(csv.reader(file))
    assert lines[-1] == ["# tadmor solve curve: complete"]
    curve = tadmor.solve("OutputRate", melted_at="end", range=(100, 300), over={"ScrewSpeed": [-5, 10, 40, 60]}, jobs=2)
    assert list(curve.columns) == lines[0]
    assert len(curve) == len(lines) - 2 == 4

    def cell(value):
        if isinstance(value, str):
            return value
        return "" if math.isnan(value) else float(value)

    for (_, row), line in zip(curve.iterrows(), lines[1:]):
        assert [cell(v) for v in row] == [cell(float(text)) if text and text[0] in "-0123456789" else text
                                           for text in line]
    assert list(curve["outcome"]) == ["refused", "solved", "solved", "met throughout"]  # 60 rpm melts beyond 300 kg/h
    assert list(curve["message"])[0] == "Value of Number of Revolution is not correct"
    # At 10 rpm the throughput that melts lies above what the screw can drag.
    assert list(curve["warnings"])[1:3] == ["bed-wider-than-channel throughput-above-drag-flow", "bed-wider-than-channel"]
