#!/usr/bin/env python3
"""Writes a version 3.1 project file from a 3.2 one, by the differences
between the two layouts: the header names 3.1; the run control lacks the
"!bcx dcx pfq zfq zcq" line pair; a species has no Kuv after Cp; zones,
flow paths, duct junctions, duct segments and source/sinks have no
values-file link (the field after u[4]/axs, u[4], u[4], u[2] and u[1]); an
exposure's header carries five more values after its multiplier, and its
generation lines have no values-file link.  Only projects whose records
carry no values-file link (kind 0) can be written this way.

    make_v31_fixture.py IN.prj OUT.prj
"""
import sys

CDVF_FIELD = {"zones:": 17, "flow paths:": 27, "duct junctions:": 20,
              "duct segments:": 16, "source/sinks:": 14}


def convert(lines):
    out = []
    section = None
    skip = 0
    for i, line in enumerate(lines):
        if skip:
            skip -= 1
            continue
        if i == 0:
            out.append("AvelorW 3.1 0\n")
            continue
        if line.startswith("!bcx dcx pfq zfq zcq"):
            skip = 1
            continue
        if " ! " in line and line.split(" ! ")[0].strip().lstrip("-").isdigit():
            section = line.split(" ! ", 1)[1].strip()
            out.append(line)
            header_next = section == "exposures:"
            continue
        words = line.split()
        if line.startswith("!") or not words or words[0] == "-999":
            out.append(line)
            continue
        if section in CDVF_FIELD and words[0].isdigit():
            k = CDVF_FIELD[section]
            assert words[k] == "0", (section, line)
            del words[k]
            out.append(" ".join(words) + "\n")
        elif section == "species:" and len(words) >= 16:
            assert words[10] == "0.0000e+00", line
            del words[10]
            out.append(" ".join(words) + "\n")
        elif section == "exposures:" and line.rstrip().endswith("! occ. gen"):
            head = line.split("!")[0].split()
            assert head[-1] == "0", line
            out.append(" " + " ".join(head[:-1]) + " ! occ. gen\n")
        elif section == "exposures:" and len(words) == 4 and words[0].isdigit():
            out.append(line.rstrip("\n") + " 0 0 0 0 0\n")
        else:
            out.append(line)
    return out


if __name__ == "__main__":
    with open(sys.argv[1], encoding="latin-1") as f:
        lines = f.readlines()
    with open(sys.argv[2], "w", encoding="latin-1", newline="\n") as f:
        f.writelines(convert(lines))
