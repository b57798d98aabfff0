#!/usr/bin/env python3
"""tadmor.run against the tadmor command, for one case and for many, in one run.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_speed.py --command build/cli/tadmor

The many cases vary ScrewSpeed over CASES values. Timed, each once (one case:
the median of --repeat): the command, one process per case, --jobs at a time;
`tadmor sweep` on --jobs threads; tadmor.run in a loop, in a ThreadPoolExecutor
and in a ProcessPoolExecutor of --jobs workers; tadmor.sweep. The command
writes its results file (into a temporary folder), the module does not. On a
shared machine compare the ratios of one run, not figures of different runs.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import tempfile
import time
from concurrent.futures import ProcessPoolExecutor, ThreadPoolExecutor

import tadmor


def case(speed):
    """One case, reduced to what every way of running it gives back."""
    r = tadmor.run({"ScrewSpeed": speed})
    return r.outcome, len(r.rows), r.melting_completed_at


def timed(work):
    start = time.perf_counter()
    result = work()
    return time.perf_counter() - start, result


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--command", default="tadmor", help="the tadmor command")
    parser.add_argument("--cases", type=int, default=1000)
    parser.add_argument("--jobs", type=int, default=os.cpu_count())
    parser.add_argument("--repeat", type=int, default=21, help="runs of the one case")
    options = parser.parse_args()
    if os.sep in options.command:
        options.command = os.path.abspath(options.command)
    speeds = [f"{30 + 0.04 * i:.2f}" for i in range(options.cases)]
    folder = tempfile.mkdtemp(prefix="tadmor-speed-")

    def command_run(speed):
        subprocess.run([options.command, "run", "--set", f"ScrewSpeed={speed}", "-o", f"case-{speed}.txt"],
                       cwd=folder, check=True, capture_output=True)

    one_command = statistics.median(timed(lambda: command_run("38.00"))[0] for _ in range(options.repeat))
    one_module = statistics.median(timed(lambda: case("38.00"))[0] for _ in range(options.repeat))

    rows = {}
    with ThreadPoolExecutor(options.jobs) as pool:
        rows["tadmor run, one process per case"] = timed(lambda: list(pool.map(command_run, speeds)))[0]
    rows["tadmor sweep"] = timed(lambda: subprocess.run(
        [options.command, "sweep", "--vary", f"ScrewSpeed={','.join(speeds)}", "--jobs", str(options.jobs),
         "-o", "summary.csv"], cwd=folder, check=True, capture_output=True))[0]
    rows["tadmor.run, a loop"], loop = timed(lambda: [case(s) for s in speeds])
    with ThreadPoolExecutor(options.jobs) as pool:
        rows["tadmor.run, ThreadPoolExecutor"], threads = timed(lambda: list(pool.map(case, speeds)))
    with ProcessPoolExecutor(options.jobs) as pool:
        pool.submit(case, "38.00").result()  # the workers started and tadmor imported
        rows["tadmor.run, ProcessPoolExecutor"], processes = timed(
            lambda: list(pool.map(case, speeds, chunksize=max(1, options.cases // (8 * options.jobs)))))
    rows["tadmor.sweep"] = timed(lambda: tadmor.sweep({"ScrewSpeed": speeds}, jobs=options.jobs))[0]
    assert loop == threads == processes, "the ways of running the cases disagree"
    shutil.rmtree(folder)

    print(f"{os.cpu_count()} processors, load average {os.getloadavg()[0]:.2f} at the end, "
          f"--jobs {options.jobs}")
    print(f"one case: tadmor run {one_command * 1e3:.1f} ms, tadmor.run {one_module * 1e3:.1f} ms "
          f"(median of {options.repeat}); the command takes {one_command / one_module:.1f} times as long")
    print(f"{options.cases} cases:")
    base = rows["tadmor run, one process per case"]
    for name, seconds in rows.items():
        print(f"  {name:34} {seconds:7.2f} s  {seconds / options.cases * 1e3:6.2f} ms/case  "
              f"{base / seconds:5.1f} x as fast as one process per case")


if __name__ == "__main__":
    main()
