#!/usr/bin/env python3
"""The table of orbits by turn time and limit in data/README.md, flown by `ascent fly --json`.

Prints the table; --write replaces the table in data/README.md with it, --check
compares the two (the test suite runs it).
Standard library only.
"""
import argparse
import itertools
import json
import os
import pathlib
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
TURN_TIMES = [15, 18, 20, 25]  # s
LIMITS = [21, 22, 23, 24, 25, 26]  # degrees


class CannotFly(Exception):
    """A mission the program could not fly (exit status 3 and up)."""


def fly(ascent, thrust, turn_time, limit):
    # Status 1 is a mission flown that reached no orbit: its JSON is the cell.
    run = subprocess.run([ascent, "fly", "--json", "--thrust", thrust, "--turn-time", str(turn_time),
                          "--limit", str(limit)], capture_output=True, text=True)
    if run.returncode not in (0, 1):
        raise CannotFly(run.stderr.strip() or f"{ascent} fly ended with status {run.returncode}")
    return json.loads(run.stdout)


def cell(mission):
    # A suborbital flight still ends its burn on a closed orbit (its perigee
    # below the 100 km an orbit needs): the table shows where the limit takes it.
    if mission["outcome"] not in ("orbit", "suborbital"):
        return "no orbit"
    propellant = round(mission["remaining_propellant_kg"])
    sign = "+" if propellant >= 0 else "\u2212"  # a real minus sign, as the table has
    return f"{mission['average_altitude_m'] / 1000:.1f} / {sign}{abs(propellant)}"


def table(ascent, thrust):
    lines = ["| limit |" + "".join(f" {'turn %d s' % t:<15}|" for t in TURN_TIMES),
             "|------:|" + "---------------:|" * len(TURN_TIMES)]
    for limit in LIMITS:
        row = f"| {str(limit) + chr(176):<6}|"
        for turn_time in TURN_TIMES:
            row += f" {cell(fly(ascent, thrust, turn_time, limit)):<15}|"
        lines.append(row)
    return lines


class OneLineErrorParser(argparse.ArgumentParser):
    """Refuses bad arguments with one line and exit status 2, like the shell tools."""

    def error(self, message):
        self.exit(2, f"{self.prog}: {message} (see --help)\n")


def main():
    parser = OneLineErrorParser(
        prog="orbit_table.py",
        description="Flies the table of orbits by turn time and limit of data/README.md "
        "(average altitude / remaining propellant) with `ascent fly --json` and prints it.",
        epilog="Exit status: 0 when the table is printed, written or current; 1 when a "
        "mission cannot be flown or --check finds the table stale; 2 on a usage error.")
    parser.add_argument("--ascent", default=str(ROOT / "build" / "release" / "bin" / "ascent"),
                        help="the program (default: build/release/bin/ascent of this repository)")
    parser.add_argument("--thrust", default=str(ROOT / "data" / "s1.dat"),
                        help="thrust file (default: data/s1.dat of this repository)")
    what = parser.add_mutually_exclusive_group()
    what.add_argument("--write", action="store_true", help="replace the table in data/README.md")
    what.add_argument("--check", action="store_true",
                      help="compare with the table in data/README.md; differing rows are printed")
    args = parser.parse_args()
    if not os.access(args.ascent, os.X_OK):
        print(f"orbit_table.py: {args.ascent} is not a program: build it (bash tools/test.sh) "
              "or name it with --ascent", file=sys.stderr)
        return 1
    try:
        lines = table(args.ascent, args.thrust)
    except CannotFly as problem:
        print(f"orbit_table.py: {problem}", file=sys.stderr)
        return 1
    if not args.write and not args.check:
        print("\n".join(lines))
        return 0
    readme = ROOT / "data" / "README.md"
    text = readme.read_text(encoding="utf-8").split("\n")
    start = next(i for i, line in enumerate(text) if line.startswith("| limit |"))
    end = start
    while end < len(text) and text[end].startswith("|"):
        end += 1
    if args.check:
        stale = [f"data/README.md: {old}\nflown now:      {new}"
                 for old, new in itertools.zip_longest(text[start:end], lines, fillvalue="")
                 if old != new]
        print("\n".join(stale) if stale else "data/README.md: the table is current")
        return 1 if stale else 0
    text[start:end] = lines
    readme.write_text("\n".join(text), encoding="utf-8")
    print(f"{readme}: table rewritten", file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
