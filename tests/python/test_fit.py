import math
import subprocess
from pathlib import Path

import pytest

import tadmor
from conftest import REFERENCE_DIR, TADMOR_COMMAND

REPOSITORY = REFERENCE_DIR.parents[2]
TABLE = REPOSITORY / "docs" / "materials-example" / "rheometer.csv"
BASE = REPOSITORY / "materials" / "default.material"


def command(*arguments, cwd, returncode=0):
    run = subprocess.run([TADMOR_COMMAND, "fit", *arguments], cwd=cwd, capture_output=True, text=True)
    assert run.returncode == returncode, run.stderr
    return run


def two_temperatures(folder):
    """The example table at 240 and 280 degC only: no a22 to fit."""
    lines = TABLE.read_text().splitlines()
    kept = [line for line in lines if not line[:3].isdigit() or line.startswith(("240,", "280,"))]
    path = folder / "two.csv"
    path.write_text("\n".join(kept) + "\n")
    return path


def thermal_base(folder):
    """The example base without its viscosity law."""
    base = folder / "thermal.material"
    base.write_text("".join(line + "\n" for line in BASE.read_text().splitlines() if not line.startswith("Visc")))
    return str(base)


def one_temperature(folder):
    """The example table at 240 degC only: a law without temperature dependence."""
    lines = TABLE.read_text().splitlines()
    table = folder / "one.csv"
    table.write_text("\n".join(line for line in lines if not line[:3].isdigit() or line.startswith("240,")) + "\n")
    return str(table)


FITS = {
    "the example table with a base material": (
        lambda folder: ([str(TABLE), "--base", str(BASE), "--name", "Refitted", "--source", "the example"],
                        dict(table=str(TABLE), base=str(BASE), name="Refitted", source="the example"))),
    "two temperatures of it": (
        lambda folder: ([str(two_temperatures(folder))], dict(table=str(folder / "two.csv")))),
    "the power law of Rao and Schumacher": (
        lambda folder: (["--law", "power-law", "--param", "m=135990", "--param", "n=0.3286", "--param", "b=0.00863",
                         "--temperatures", "160:240", "--shear-rates", "10:1000"],
                        dict(law="power-law", params={"m": 135990, "n": 0.3286, "b": 0.00863},
                             temperatures=(160, 240), shear_rates="10:1000"))),
    "two temperatures on a base without a law": (
        lambda folder: ([str(two_temperatures(folder)), "--base", thermal_base(folder)],
                        dict(table=str(folder / "two.csv"), base=str(folder / "thermal.material")))),
}


def material_values(path):
    values = {}
    for line in Path(path).read_text().splitlines():
        if line.startswith("ViscA"):
            name, value = line.split(" = ")
            values[name] = float(value)
    return values


@pytest.mark.parametrize("setup", FITS.values(), ids=FITS.keys())
def test_fit_equals_the_command(tmp_path, setup):
    arguments, keywords = setup(tmp_path)
    run = command(*arguments, "-o", "command.material", cwd=tmp_path)
    fit = tadmor.fit(**keywords, output=str(tmp_path / "module.material"))
    assert run.stdout == fit.report + "Material file: command.material\n"
    assert run.stderr == "".join(f"tadmor: warning: {w}\n" for w in fit.warnings)
    text = (tmp_path / "command.material").read_text()
    assert (tmp_path / "module.material").read_text() == text
    assert fit.material_file == str(tmp_path / "module.material")
    # The file holds every coefficient at full precision: equal is bit for bit.
    assert fit.coefficients == material_values(tmp_path / "command.material")
    # and runs.
    assert len(tadmor.run(material=str(tmp_path / "module.material")).rows) > 0


def test_terms_the_data_cannot_determine_are_left_at_zero(tmp_path):
    fit = tadmor.fit(two_temperatures(tmp_path))
    assert fit.temperatures == 2 and fit.points == 12
    assert not fit.fitted["ViscA22"] and fit.coefficients["ViscA22"] == 0
    assert math.isnan(fit.standard_errors["ViscA22"])
    assert all(fit.fitted[name] for name in ["ViscA0", "ViscA1", "ViscA11", "ViscA2", "ViscA12"])
    assert len(fit.notes) == 1
    assert fit.material_file is None and sorted(p.name for p in tmp_path.iterdir()) == ["two.csv"]


def test_an_exponential_power_law_is_fitted_exactly():
    # eta = m exp(-b T) gamma^(n-1) in Pa s; ln(eta in gf.s/cm2) = ln(m / 98.0665) + (n - 1) L - b T.
    m, n, b = 135990, 0.3286, 0.00863
    fit = tadmor.fit(law="power-law", params={"m": m, "n": n, "b": b}, temperatures=(160, 240),
                     shear_rates=(10, 1000))
    a = fit.coefficients
    assert a["ViscA0"] == pytest.approx(math.log(m / 98.0665), rel=1e-13)
    assert a["ViscA1"] == pytest.approx(n - 1, rel=1e-13)
    assert a["ViscA2"] == pytest.approx(-b, rel=1e-13)
    assert max(abs(a[name]) for name in ["ViscA11", "ViscA22", "ViscA12"]) < 1e-15
    assert fit.index_range == pytest.approx((n, n), rel=1e-13)
    assert fit.sensitivity_range == pytest.approx((b, b), rel=1e-12)
    assert fit.range == {"temperature_min": 160, "temperature_max": 240, "shear_rate_min": 10, "shear_rate_max": 1000}
    assert fit.points == 9 * 21 and fit.max_percent_error < 1e-9


def three_point_table(folder):
    path = folder / "three.csv"
    path.write_text("T (degC), shear rate (1/s), viscosity (Pa.s)\n240, 200, 531.2\n250, 500, 402\n260, 1000, 289.9\n")
    return path


ERRORS = {
    "no table": (lambda folder: (["missing.csv"], dict(table="missing.csv")), tadmor.InputError, 2),
    "fewer points than coefficients": (lambda folder: ([str(three_point_table(folder))], dict(table=str(folder / "three.csv"))),
                        tadmor.FitError, 3),
    "a law of one temperature, which no run could use": (
        lambda folder: ([one_temperature(folder), "-o", "out.material"],
                        dict(table=str(folder / "one.csv"), output="out.material")), tadmor.FitError, 3),
    "a reference temperature below absolute zero": (
        lambda folder: (["--law", "power-law", "--param", "m=1", "n=0.5", "T0=-300", "--temperatures", "200:250",
                         "--shear-rates", "10:100"],
                        dict(law="power-law", params={"m": 1, "n": 0.5, "T0": -300}, temperatures=(200, 250),
                             shear_rates=(10, 100))),
        tadmor.InputError, 2),
    "a base material that cannot be read": (
        lambda folder: ([str(TABLE), "--base", "missing.material", "-o", "out.material"],
                        dict(table=str(TABLE), base="missing.material", output="out.material")), tadmor.InputError, 2),
    "a material file that cannot be written": (
        lambda folder: ([str(TABLE), "-o", "no/such/folder.material"], dict(table=str(TABLE), output="no/such/folder.material")),
        tadmor.FileError, 4),
}


@pytest.mark.parametrize("setup,kind,exit_code", ERRORS.values(), ids=ERRORS.keys())
def test_errors_raise_with_the_command_message(tmp_path, monkeypatch, setup, kind, exit_code):
    arguments, keywords = setup(tmp_path)
    stderr = command(*arguments, cwd=tmp_path, returncode=exit_code).stderr
    monkeypatch.chdir(tmp_path)
    with pytest.raises(kind) as error:
        tadmor.fit(**keywords)
    assert type(error.value) is kind
    assert stderr.endswith(f"tadmor: {error.value.message}\n")
    assert not (tmp_path / "out.material").exists()


# The same mistake refused by both, each in the words of its own arguments.
@pytest.mark.parametrize("arguments,keywords,message", [
    ([str(TABLE), "--law", "power-law"], dict(table=str(TABLE), law="power-law"),
     "fit takes either a rheometer table or a law, not both or neither"),
    (["--law", "power-law", "--param", "m=1", "--param", "n=0.5"], dict(law="power-law", params={"m": 1, "n": 0.5}),
     "a law needs the window: temperatures (FROM, TO) in degC and shear_rates (FROM, TO) in 1/s"),
])
def test_usage_errors_raise_input_errors(tmp_path, arguments, keywords, message):
    command(*arguments, cwd=tmp_path, returncode=2)
    with pytest.raises(tadmor.InputError) as error:
        tadmor.fit(**keywords)
    assert error.value.message == message
