"""The block check's words, typed in from its documented output: what tallyrun lists for a
file, and renumbrix for a block file it refuses."""

EMPTY = "  <- empty: renumbrix skips it, so it must not be counted"
NO_ID = "  <- no ID at its start: renumbrix stops reading here and rejects every later line"
OUT_OF_RANGE = "  <- ID outside 1 to 999998"
TOO_LONG = "  <- number too long to read: renumbrix stops reading here and rejects every later line"
KEYWORD = "  <- section keyword: it opens or closes a section and defines nothing"
MARK = ("  <- byte-order mark before the ID: delete it (it cannot be seen: press Delete once at the "
        "start of the line, or type the line anew)")
CR_INSIDE = ("  <- a CR inside the line: renumbrix takes CR alone for no line end, so this is all one "
             "line")
READY = "Ready as it stands. Count to declare: %d"
REMOVE = "Remove the listed lines. Count to declare then: %d"
MEND = "Mend or remove the listed lines, then check the block again."
NOTHING = "No line here that renumbrix would take."
NOT_UTF16 = (' is saved as UTF-16 ("Unicode"), which renumbrix cannot read: save it as UTF-8 or '
             'ANSI (Notepad: Save As, Encoding)')
CR_LF = ("Its lines end in CR LF (Windows line ends), and renumbrix on Linux keeps each CR at the "
         "end of its entry.")
CR_LF_COPY = " A copy without them: set -C; sed 's/\\r$//' < "
CR_NOTE = CR_LF + CR_LF_COPY + "'crlf.txt' > 'crlf.txt.lf'"
CR_ALONE = ("Its lines end in CR alone (old Mac line ends), which renumbrix does not take for line "
            "breaks.")
CR_ALONE_COPY = " A copy with line feeds: set -C; tr '\\r' '\\n' < "


def runs_on(taken, kept):
    """The reason for an ID that runs into other text: the number renumbrix would take and
    the bytes it would keep behind the new ID."""
    return f'  <- ID runs into other text: renumbrix takes {taken} and keeps "{kept}"'
