#!/usr/bin/env python3
"""The table of orbits by turn time and limit in data/README.md, flown by `ascent fly --json`.

Prints the table; --write replaces the table in data/README.md with it.
Standard library only.
"""
import argparse
import json
import os
import pathlib
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
TURN_TIMES = [15, 18, 20, 25]  # s
LIMITS = [21, 22, 23, 24, 25, 26]  # degrees


def fly(ascent, thrust, turn_time, limit):
    out = subprocess.run([ascent, "fly", "--json", "--thrust", thrust, "--turn-time", str(turn_time),
                          "--limit", str(limit)], check=True, capture_output=True, text=True).stdout
    return json.loads(out)


def cell(mission):
    if mission["outcome"] != "orbit":
        return "no orbit"
    propellant = round(mission["remainingPropellant_kg"])
    sign = "+" if propellant >= 0 else "\u2212"  # a real minus sign, as the table has
    return f"{mission['averageAltitude_m'] / 1000:.1f} / {sign}{abs(propellant)}"


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
        epilog="Exit status: 0 when the table is printed or written; 1 when a mission "
        "cannot be flown; 2 on a usage error.")
    parser.add_argument("--ascent", default=str(ROOT / "build" / "release" / "bin" / "ascent"),
                        help="the program (default: build/release/bin/ascent of this repository)")
    parser.add_argument("--thrust", default=str(ROOT / "data" / "s1.dat"),
                        help="thrust file (default: data/s1.dat of this repository)")
    parser.add_argument("--write", action="store_true", help="replace the table in data/README.md")
    args = parser.parse_args()
    if not os.access(args.ascent, os.X_OK):
        print(f"orbit_table.py: {args.ascent} is not a program: build it (bash tools/test.sh) "
              "or name it with --ascent", file=sys.stderr)
        return 1
    lines = table(args.ascent, args.thrust)
    if not args.write:
        print("\n".join(lines))
        return 0
    readme = ROOT / "data" / "README.md"
    text = readme.read_text(encoding="utf-8").split("\n")
    start = next(i for i, line in enumerate(text) if line.startswith("| limit |"))
    end = start
    while end < len(text) and text[end].startswith("|"):
        end += 1
    text[start:end] = lines
    readme.write_text("\n".join(text), encoding="utf-8")
    print(f"{readme}: table rewritten", file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
