import csv
import io
import subprocess
import threading

import numpy as np
import pytest

import tadmor
from conftest import REFERENCE_DIR, TADMOR_COMMAND


def command_csv(*arguments, cwd):
    run = subprocess.run([TADMOR_COMMAND, "run", *arguments, "--format", "csv"], cwd=cwd,
                         capture_output=True, text=True, check=True)
    lines = list(csv.reader(io.StringIO(run.stdout)))
    return lines[0], [[float(v) for v in line] for line in lines[1:]]


def test_default_rows_equal_the_command_at_full_precision(tmp_path):
    headings, rows = command_csv("-o", "default.txt", cwd=tmp_path)
    result = tadmor.run()
    assert headings == [f"{name} ({unit})" for name, unit in tadmor.RESULT_COLUMNS]
    assert result.rows.dtype.names == tuple(name for name, _ in tadmor.RESULT_COLUMNS)
    assert len(result.rows) == len(rows) == 129
    for row, expected in zip(result.rows, rows):
        assert list(row) == expected  # bit for bit
    assert result.outcome == "end of screw"
    assert result.melting_completed_at is None
    # The reference rows have X/W above 1 from FLIGHT 14.05 to 17.50.
    assert [(w.code, w.where) for w in result.warnings] == [("bed-wider-than-channel", "FLIGHT 14.05 to 17.50")]
    assert result.inputs["ScrewDiameter"] == 15.0


def test_run_writes_the_results_file_only_when_asked(tmp_path):
    subprocess.run([TADMOR_COMMAND, "run", "-o", "command.txt", "--set", "ScrewSpeed=75"], cwd=tmp_path,
                   capture_output=True, check=True)
    tadmor.run({"ScrewSpeed": 75}, results_file=str(tmp_path / "module.txt"))
    assert (tmp_path / "module.txt").read_bytes() == (tmp_path / "command.txt").read_bytes()
    before = sorted(tmp_path.iterdir())
    tadmor.run({"ScrewSpeed": 75})
    assert sorted(tmp_path.iterdir()) == before


def reference_cases():
    lines = (REFERENCE_DIR / "index.tsv").read_text().splitlines()[1:]
    return [line.split("\t") for line in lines if line.count("\t") >= 5]


def test_the_index_lists_every_case():
    assert len(reference_cases()) == 23


@pytest.mark.parametrize("name,separator,outcome,rows,completed,message",
                         [case[:6] for case in reference_cases()], ids=[case[0] for case in reference_cases()])
def test_reference_case(tmp_path, name, separator, outcome, rows, completed, message):
    case = str(REFERENCE_DIR / f"{name}.case")
    results_file = tmp_path / "result.txt"
    if outcome == "invalid input":
        with pytest.raises(tadmor.InputError) as error:
            tadmor.run(case=case, decimal_separator=separator, results_file=str(results_file))
        assert error.value.message == message
        return
    if outcome == "calculation error":
        with pytest.raises(tadmor.CalculationError):
            tadmor.run(case=case, decimal_separator=separator, results_file=str(results_file))
        return
    result = tadmor.run(case=case, decimal_separator=separator, results_file=str(results_file))
    assert result.outcome == ("melting completed" if completed == "yes" else "end of screw")
    assert results_file.read_bytes() == (REFERENCE_DIR / f"{name}.txt").read_bytes()
    with open(REFERENCE_DIR / f"{name}.csv") as file:
        lines = list(csv.reader(file))
    assert len(result.rows) == len(lines) - 1 == int(rows)
    expected = np.array([[float(v) for v in line] for line in lines[1:]]).reshape(-1, 11)
    actual = np.array([list(row) for row in result.rows]).reshape(-1, 11)
    np.testing.assert_allclose(actual, expected, rtol=1e-9, atol=0)


def test_a_calculation_error_names_its_increment_and_flight():
    with pytest.raises(tadmor.CalculationError) as error:
        tadmor.run({"BarrelC0": 265.0})
    assert error.value.message == (
        "the barrel temperature 265.00 degC at FLIGHT 5.10 is not above the melting point 265.00 degC, so no melt "
        "film forms between the barrel and the solid bed: Invalid floating-point operation (square root or logarithm "
        "of a negative number, or 0/0) in StartFirstIncrement at increment 1 (FLIGHT 5.10)")
    assert (error.value.increment, error.value.flight) == (1, 5.1)
    assert isinstance(error.value, tadmor.Error)


@pytest.mark.parametrize("inputs,message", [
    ({"OutputRate": 0}, "Value of Flow Rate is not correct"),
    ({"OutputRate": "1,5"}, "Input value is not correct!"),
    ({"OutputRate": float("nan")}, "Input value is not correct!"),
    ({"NoSuchInput": 1}, 'unknown input name "NoSuchInput"'),
])
def test_refused_inputs_raise_an_input_error_with_the_message(inputs, message):
    with pytest.raises(tadmor.InputError) as error:
        tadmor.run(inputs)
    assert message in error.value.message


def test_texts_and_numbers_convert_alike_with_either_separator():
    by_number = tadmor.run({"ScrewDiameter": 12.5})
    by_text = tadmor.run({"ScrewDiameter": "12,5"}, decimal_separator=",")
    assert by_text.inputs["ScrewDiameter"] == 12.5
    assert np.array_equal(by_number.rows, by_text.rows)


def test_an_unwritable_results_file_raises_a_file_error(tmp_path):
    with pytest.raises(tadmor.FileError) as error:
        tadmor.run(results_file=str(tmp_path / "no-such-folder" / "result.txt"))
    assert error.value.message == "File can not open!"


def test_threads_give_the_results_of_a_loop():
    speeds = [30 + 5 * i for i in range(16)]
    in_loop = [tadmor.run({"ScrewSpeed": s}).rows for s in speeds]
    in_threads = [None] * len(speeds)

    def work(i):
        in_threads[i] = tadmor.run({"ScrewSpeed": speeds[i]}).rows

    threads = [threading.Thread(target=work, args=(i,)) for i in range(len(speeds))]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    for a, b in zip(in_loop, in_threads):
        assert a.tobytes() == b.tobytes()


def test_help_tells_the_units():
    assert "cm" in tadmor.run.__doc__ and "results_file" in tadmor.run.__doc__
    assert "POWER TOT (kW)" in tadmor.Result.rows.__doc__


def test_warnings_are_the_commands(tmp_path):
    run = subprocess.run([TADMOR_COMMAND, "run", "--set", "ScrewSpeed=30", "OutputRate=350", "-o", "slow.txt"],
                         cwd=tmp_path, capture_output=True, text=True, check=True)
    warnings = tadmor.run({"ScrewSpeed": 30, "OutputRate": 350}).warnings
    assert [w.code for w in warnings] == ["bed-wider-than-channel", "throughput-above-drag-flow"]
    assert run.stderr == "".join(f"tadmor: warning: {w}\n" for w in warnings)
    assert warnings[1].where == "input OutputRate"


# The program reads numbers with 64 bits and rounds to double: these doubles'
# shortest texts would round to a neighbour, so the module gives 21 digits.
@pytest.mark.parametrize("value", [43.613889372583166, 42.051541552215006, 54.749995658975386])
def test_a_number_reaches_the_calculation_as_the_same_double(value):
    assert tadmor.run({"ScrewSpeed": value}).inputs["ScrewSpeed"] == value


def run_at(speed):
    return tadmor.run({"ScrewSpeed": speed})


def test_results_pickle_copy_and_cross_process_pools():
    import copy
    import pickle
    from concurrent.futures import ProcessPoolExecutor

    result = tadmor.run({"ScrewSpeed": 30, "OutputRate": 350})
    fit = tadmor.fit(law="power-law", params={"m": 1000, "n": 0.5}, temperatures=(180, 240), shear_rates=(10, 1000))
    whole = tadmor.extruder(die="capillary:D=0.5,L=10")
    solved = tadmor.solve("OutputRate", melted_at="end", range=(200, 300), intervals=4)
    for original in (result, fit, whole, solved, solved.solutions[0], result.warnings[0]):
        for back in (pickle.loads(pickle.dumps(original)), copy.copy(original), copy.deepcopy(original)):
            assert type(back) is type(original)
    back = pickle.loads(pickle.dumps(result))
    assert (back.rows == result.rows).all() and back.inputs == result.inputs
    assert [str(w) for w in back.warnings] == [str(w) for w in result.warnings]
    assert pickle.loads(pickle.dumps(fit)).coefficients == fit.coefficients
    assert pickle.loads(pickle.dumps(whole)).operating_point == whole.operating_point
    assert pickle.loads(pickle.dumps(solved)).solutions[0].text == solved.solutions[0].text
    with ProcessPoolExecutor(2) as pool:
        rows = [r.rows for r in pool.map(run_at, (40, 50))]
    assert all((r == tadmor.run({"ScrewSpeed": s}).rows).all() for r, s in zip(rows, (40, 50)))
