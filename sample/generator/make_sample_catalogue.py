#!/usr/bin/env python3
"""Writes the sample catalogue and part descriptions (made-up makes, models and parts).

The catalogue is Windows-1252 text with CR LF line ends, like catalogues maintained on the alignment
computers. Run from the repository: python3 sample/generator/make_sample_catalogue.py sample/tolvane/quintar
"""
import pathlib
import sys

EMPTY16 = [""] * 16


def parts(rear_camber=(), rear_toe=(), front_caster=(), front_camber=()):
    """The 16 part codes in catalogue order: rear camber 5, rear toe 3, front caster 3, front camber 5."""
    groups = [(rear_camber, 5), (rear_toe, 3), (front_caster, 3), (front_camber, 5)]
    codes = []
    for group, size in groups:
        codes += list(group) + [""] * (size - len(group))
    return codes


def q(text):
    return '"' + text + '"'


RECORDS = [
    ["1001", "", q("Aldena"), q("Tarsa"), q("2.0 GL"), "1998", "2004",
     *parts(["AC1001", "AC1002"], ["TL2001"], ["CS4001"], ["FC3001", "FC3002"])],
    ["1002", "", q("Brisko"), q("Meridian"), q("Estate 4WD"), "2001", "2008",
     *parts(["AC1001", "AC1003", "AC1004", "AC1005", "AC1006"], ["TL2001", "TL2002", "TL2003"],
            ["CS4001", "CS4002", "CS4003"], ["FC3001", "FC3002", "FC3003", "FC3004", "AC1002"])],
    ["1003", "", q("Corvane"), q("Atlas"), "", "1995", "1999", *EMPTY16],
    ["1004", "", q("Dunmore"), q("Kestrel 16* Wheel"), q("Sport"), "2005", "2011",
     *parts(["AC1002"], ["TL2002"], [], ["FC3003"])],
    ["1005", "", q("Estrel"), q("Voyager"), q("LX 2*4* Cab"), "2010", "2015",
     *parts(["ZZ9999", "AC1003"], [], [], ["FC3004"])],
    ["1006", "", q("Fjordan"), q("Nordkap"), q("Turbo, 4 door"), "2003", "2009",
     *parts([], ["TL2003"], ["CS4002"], ["FC3001"])],
    ["1007", "", "Garnet", "Sierra", "", "1990", "1996",
     *parts(["AC1005"], [], [], [])],
    ["1008", "", q("Halvik"), q("Polar"), q("GT"), "2012", "2018",
     *parts(["AC1004", "AC1001"], ["TL2001"], ["CS4003"], ["FC3002", "FC3004"])],
    ["1009", "", q("Istra"), q("Canyon"), q("Pickup"), "2000", "2006",
     *parts([], [], ["CS4001", "CS4002"], [])],
    ["1010", "", q("Jorvik"), q("Fenn"), q("Coupe"), "2014", "2020",
     *parts(["AC1006"], ["TL2002"], [], ["FC3003"])],
    ["1011", "", q("Kestel"), q("Brava"), q("Van"), "1988", "1994",
     *parts(["AC1003"], [], [], [])],
    ["1012", "", q("V\u00e9lomar"), q("\u00c9toile"), q("Cabriolet"), "2016", "2022",
     *parts(["AC1001"], ["TL2003"], ["CS4001"], ["FC3001"])],
    ["1013", "", q("Lumen"), q("Arc"), q("EV"), "2019", "2024",
     *parts(["AC1002", "AC1003"], [], ["CS4002"], ["FC3002"])],
]

# Lines after the end record are never read; these would each break the reader if they were.
AFTER_END = [
    'this line, "never closes',
    "1,2,3",
    "9999,,Broken,Record,,19x9,abc",
    "",
]

DESCRIPTIONS = {
    "AC1001": ['"Rear camber cam bolt kit"', "Replaces the lower control arm inner bolt.",
               '"Range: -1.5 to +1.5 degrees, in 0.25 degree steps"', "Torque 95 Nm"],
    "AC1002": ['"Offset bushing, rear"', "Press in with the arrow toward the desired change.",
               '"Available offsets: 0.5, 1.0 and 1.5 degrees"'],
    "AC1003": ['"Full-contact shim, 0.5 degree"', "Camber and toe from one shim,"
               " cut to the angle on the chart."],
    "AC1004": ['"Full-contact shim set"', "Shims of 0.25 to 1.5 degrees.", "Stack no more than two."],
    "AC1005": ['"Adjustable rear control arm"', "Turn the sleeve: one turn changes camber about 0.3 degrees.",
               '"Lock both jam nuts, 70 Nm"'],
    "TL2001": ['"Rear toe link, adjustable"', "Replaces the fixed link.", "Set toe, then torque 80 Nm"],
    "TL2002": ['"Rear toe cam"', "Fits the trailing arm pivot.", '"Range: 0.6 degrees total toe"'],
    "TL2003": ['"Toe sleeve, left and right"'],
    "FC3001": ['"Camber plate, strut top"', "Slotted plate: +/- 1.0 degree.",
               '"Check caster after fitting, it moves with the plate"'],
    "FC3002": ['"Strut cam bolt"', "Replaces the upper strut-to-knuckle bolt.", '"Range: +/- 1.75 degrees"'],
    "FC3003": ['"Offset ball joint"', "Camber and caster from the joint's turned position.",
               '"Offsets: 0.5, 1.0, 1.5 degrees"'],
    "FC3004": ['"Adjustable upper arm"', "Two eccentric cams on the inner pivots."],
    "CS4001": ['"Caster bushing"', "Strut rod bushing with an offset sleeve."],
    "CS4002": ['"Caster / camber plate"', "Set caster first, then camber."],
    "CS4003": ['"Strut rod bushing, offset"', "Index mark toward the front for more caster."],
    "ZZ9999": ['"Prototype shim (picture not yet available)"', "Ask the parts desk for the chart."],
}


def main(folder):
    out = pathlib.Path(folder)
    lines = [",".join(record) for record in RECORDS[:-1]]
    last = RECORDS[-1]
    # The last record is spread over two lines: lines do not delimit records.
    lines += [",".join(last[:7]), ",".join(last[7:])]
    lines.append(",".join(["0"] + [""] * 22))
    lines += AFTER_END
    (out / "specialty.txt").write_bytes("\r\n".join(lines).encode("cp1252"))
    for code, items in DESCRIPTIONS.items():
        (out / (code + ".txt")).write_bytes(("\r\n".join(items) + "\r\n").encode("cp1252"))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "sample/tolvane/quintar")
