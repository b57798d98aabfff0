#!/usr/bin/python3
"""Draws docs/validation.png: the march's X/W against Tadmor's closed-form
solid bed profiles at vanishing viscosity (the cases of
tests/model/test_analytical_melting.cpp). Needs matplotlib (python3-matplotlib).

    docs/validation_plot.py build/cli/tadmor
"""
import csv, io, math, subprocess, sys, tempfile

import matplotlib
matplotlib.use("Agg")
import matplotlib.pyplot as plt

PI = 3.1415926  # the circle constant the model is defined with
BASE = dict(ScrewDiameter=15.0, ScrewPitch=15.0, FlightWidth=1.5, ScrewSpeed=38.0, OutputRate=150.0,
            FeedDepth=1.4, MeteringDepth=0.4, BarrelC0=290.0, MeltingPoint=265.0, SolidTemp=30.0,
            SolidHeat=0.4, FusionHeat=17.7, MeltHeat=0.48, MeltDensity=1.2, MeltConductivity=0.00052)
LAW = dict(ViscA0=-30, ViscA1=0, ViscA11=0, ViscA2=-0.01, ViscA22=0, ViscA12=0)


def march(tadmor, settings):
    with tempfile.TemporaryDirectory() as folder:
        args = [tadmor, "run", "--format", "csv", "-o", folder + "/r.txt"]
        for name, value in {"OutputRate": 150, "BarrelC1": 0, **LAW, **settings}.items():
            args += ["--set", f"{name}={value}"]
        out = subprocess.run(args, check=True, capture_output=True, text=True).stdout
    rows = list(csv.reader(io.StringIO(out)))[1:]
    return [float(r[0]) for r in rows], [float(r[2]) for r in rows]


def psi():
    b = BASE
    helix = math.atan(b["ScrewPitch"] / (PI * b["ScrewDiameter"]))
    width = b["ScrewPitch"] * math.cos(helix) - b["FlightWidth"]
    vbx = PI * b["ScrewDiameter"] * b["ScrewSpeed"] / 60 * math.sin(helix)
    tb, tm = b["BarrelC0"], b["MeltingPoint"]
    a = LAW["ViscA2"] * (tb - tm)
    decay = math.exp(-a)
    shape = 2 * (1 / (1 - decay) - 1 / a)
    tav = tm + (tb - tm) * (decay * (1 / a + 1) + a / 2 - 1 / a) / (decay + a - 1)
    heat = b["SolidHeat"] * (tm - b["SolidTemp"]) + b["FusionHeat"] + b["MeltHeat"] * (tav - tm)
    phi = math.sqrt(vbx * shape * b["MeltDensity"] * b["MeltConductivity"] * (tb - tm) / (2 * heat))
    return phi * math.sqrt(width) * b["FeedDepth"] / (b["OutputRate"] / 3.6), PI * b["ScrewDiameter"] / math.cos(helix)


def main():
    tadmor = sys.argv[1] if len(sys.argv) > 1 else "build/cli/tadmor"
    p, turn = psi()
    h1, h2 = BASE["FeedDepth"], BASE["MeteringDepth"]
    fig, axes = plt.subplots(1, 2, figsize=(10, 4), sharey=True)

    flight, xw = march(tadmor, dict(DelayTurns=1, FeedTurns=41))
    z = [i * turn / 50 for i in range(0, 50 * 20)]
    shown = [(zz / turn, (1 - p * zz / (2 * h1)) ** 2) for zz in z if 1 - p * zz / (2 * h1) > 0]
    axes[0].plot([s[0] for s in shown], [s[1] for s in shown], "-", color="0.3", label="(1 - psi z / 2H)^2")
    axes[0].plot([f - 1 + 0.1 for f in flight], xw, "o", ms=3, mfc="none", color="k", label="march (end of increment)")
    axes[0].set_title("Constant depth H = 1.4 cm")

    flight, xw = march(tadmor, dict(DelayTurns=2, FeedTurns=2, CompressionTurns=20))
    taper = (h1 - h2) / (20 * turn)
    shown = []
    for zz in z:
        root = p / taper - (p / taper - 1) * math.sqrt(h1 / (h1 - taper * zz))
        if root > 0:
            shown.append((zz / turn, root * root))
    axes[1].plot([s[0] for s in shown], [s[1] for s in shown], "-", color="0.3",
                 label="[psi/A - (psi/A - 1) sqrt(H1/H)]^2")
    axes[1].plot([f - 2 + 0.05 for f in flight], xw, "o", ms=3, mfc="none", color="k", label="march (end of increment)")
    axes[1].set_title("Tapered, H = 1.4 cm - A z, A = %.3g" % taper)

    for ax in axes:
        ax.set_xlabel("turns after the start of melting")
        ax.grid(True, color="0.85")
        ax.legend()
    axes[0].set_ylabel("X/W")
    fig.suptitle("Solid bed profile at vanishing viscosity: march against closed form (psi = %.6g)" % p)
    fig.tight_layout()
    fig.savefig("docs/validation.png", dpi=100)


main()
