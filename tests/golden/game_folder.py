"""A made-up game folder, typed in by hand, for the cases of both programs that read a
folder's IDE files for the IDs in use: IDE files in two levels of subfolders, one named in upper
case, sections in upper and lower case, comments, lines of sections that define no ID, a text
file that is no IDE file, three IDs defined twice and one outside the range."""

from pathlib import Path

GAME = {
    "data/maps/LA/la.ide": b"objs\n1337, BinNt07_LA, txd, 100, 0\n# comment\n200, lamp, txd\nend\n"
                           b"2dfx\n1400, 0, 0, 0\nend\npath\n1401, x\nend\n",
    "data/maps/gen/MAPS.IDE": b"OBJS\n1337, m2_acse37, txd\n201, bench\nEnd\ninst\n1500, y\nend\n"
                              b"TOBJ\n200, lamp_night\n300, clock\nend\n",
    "data/default.ide": b"cars\n400, admiral, car\nend\npeds\n300, male01\nend\nweap\n0, zero\n"
                        b"end\n",
    "data/notes.txt": b"objs\n500, not_read\nend\n",
}

# What tallyrun reports for it, <SEP> standing for the system's separator.
REPORT_HEAD = (
    "game:",
    "IDE files read: 3; IDs they define: 5, from 200 to 1337.",
    "Defined more than once:",
    "200",
    "  data<SEP>maps<SEP>LA<SEP>la.ide:4  lamp",
    "  data<SEP>maps<SEP>gen<SEP>MAPS.IDE:9  lamp_night",
    "300",
    "  data<SEP>default.ide:5  male01",
    "  data<SEP>maps<SEP>gen<SEP>MAPS.IDE:10  clock",
    "1337",
    "  data<SEP>maps<SEP>LA<SEP>la.ide:2  BinNt07_LA",
    "  data<SEP>maps<SEP>gen<SEP>MAPS.IDE:2  m2_acse37",
    "Outside 1 to 999998:",
    "0",
    "  data<SEP>default.ide:8  zero")
FREE_100 = ("Free ranges of at least 100 IDs:", "1-199 (199 free)", "401-1336 (936 free)",
            "1338-999998 (998661 free)")
FREE_2 = ("Free ranges of at least 2 IDs:", "1-199 (199 free)", "202-299 (98 free)",
          "301-399 (99 free)", "401-1336 (936 free)", "1338-999998 (998661 free)")


def game_folder(extra=None):
    """Makes the game folder under the working folder, with `extra` files besides."""
    def setup(work: Path):
        for name, content in dict(GAME, **(extra or {})).items():
            (work / "game" / name).parent.mkdir(parents=True, exist_ok=True)
            (work / "game" / name).write_bytes(content)
    return setup


def full_folder(work: Path):
    """A folder whose one IDE file defines every ID of the range."""
    (work / "full").mkdir()
    with open(work / "full" / "all.ide", "wb") as file:
        file.write(b"objs\n" + b"".join(b"%d, m\n" % n for n in range(1, 999999)) + b"end\n")
