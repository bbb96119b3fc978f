#pragma once

// Every fixed text renumbrix writes, to the console or to its files. They are
// kept exactly as the tool has always printed them, spelling and back-quotes
// included, because users and their scripts know them in this form. A text of
// several lines ends each with its line break.

#include <string_view>

namespace renumbrix_text {

// The exit statuses: a run that reached its common close (invalid answers
// of the dialogue included), and one that failed: a file not created or not
// written whole, input that could not be read, a block file refused, an
// option unknown.
constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = kExitFailure;

// The answers to --version and --help.
constexpr std::string_view kProgramName = "renumbrix";
constexpr std::string_view kHelp =
    "Usage: renumbrix [BLOCKFILE [FOLDER]]\n"
    "Gives a block of item definition (IDE) lines new, consecutive object IDs.\n"
    "Given a block file (renumbrix block.txt, or a file dropped on renumbrix.exe),\n"
    "it checks the block as tallyrun does, takes the count from it, asks only for\n"
    "the new ID of the first line, and writes its files beside the block; nothing\n"
    "is written before an answer fits the block. Given the game's folder as well\n"
    "(in either order, or both dropped together), it reads the IDE files under it\n"
    "and proposes the lowest start whose new IDs none of them defines: Enter takes\n"
    "it, and a typed start that meets an ID in use is refused.\n"
    "Without one, it asks on the console how many lines follow and the new ID of\n"
    "the first, then reads the lines as they are typed or pasted. Or it reads all\n"
    "of that from a file: the count, the starting ID, then the lines, one per\n"
    "line (renumbrix < lines.txt); its files then go to the current folder.\n"
    "Only the ID at the front of each line changes. It writes Sorted.ide, the\n"
    "renumbered lines as a complete IDE file, and Sorted.log, a trace of every\n"
    "line, replacing both. -- ends the options.\n"
    "--help, -h or /? (Windows) shows this text, --version the version; any\n"
    "other option is refused.\n";
// The help's last line, for where the program is installed with its manual
// page, and for the Windows download, which has a ReadMe beside the program.
constexpr std::string_view kMoreHelp = "More: man renumbrix.";
constexpr std::string_view kMoreHelpOnWindows = "More: ReadMe.txt beside renumbrix.exe.";

// Console banner, shown at start-up on the output stream.
constexpr std::string_view kBanner =
    "Welcome To Sorting Script v1.0 Made By Korvath.Contact Email:korvath@example.com\n"
    "\n"
    "For help look in ReadMe.If you find any type of bugs report back to me.Thanks in advance.\n"
    "\n"
    "Note:After the process of each line, LINE PROCESSED text would get printed."
    "If it doesn`t at the end line press Enter KEY. \n"
    "\n"
    "--------------------------------------------------Starting Script"
    "--------------------------------------------------\n"
    "\n"
    "\n";

// A block file given on the command line: where the files go and how many
// lines the block holds, then the one question.
constexpr std::string_view kResultsFolder = "Sorted.ide and Sorted.log go in the block's folder: ";
constexpr std::string_view kLinesToSort = "Lines to sort in ";  // the block's name, then:
constexpr std::string_view kLinesToSortEnd = ": ";
// A starting ID that cannot be taken: after the program's name, what was
// typed, shown safely, and why.
constexpr std::string_view kAnswerEmpty =
    ": nothing was typed: type the new ID of the first line, a whole number from 1 to 999998";
constexpr std::string_view kAnswerWas = ": the answer \"";
constexpr std::string_view kNoWholeNumber = "\" is no whole number: ";
constexpr std::string_view kIsLetter = " is a letter, not a digit";  // after the letter
// A letter a console font draws like a digit is named in words:
// "O is the letter oh, not the digit zero".
constexpr std::string_view kIsTheLetter = " is the letter ";
constexpr std::string_view kNotTheDigit = ", not the digit ";
constexpr std::string_view kLetterOh = "oh";
constexpr std::string_view kLetterEll = "ell";
constexpr std::string_view kLetterEye = "eye";
constexpr std::string_view kDigitZero = "zero";
constexpr std::string_view kDigitOne = "one";
constexpr std::string_view kCharacterBefore = "\"";
constexpr std::string_view kIsNoDigit = "\" is no digit";
constexpr std::string_view kDigitsOnly = "type the digits only";
constexpr std::string_view kOutsideRange = "\" lies outside 1 to 999998";
constexpr std::string_view kTooHighFor = "\" is too high for ";  // the lines, then:
constexpr std::string_view kTooHighLines =
    " lines: the last would get an ID above 999998. The highest start that fits: ";
// With the game's folder besides the block: its conflicts, the start that
// meets no ID in use, a typed start that does, and the closing word.
constexpr std::string_view kConflicts = "IDs defined more than once under ";  // folder, then:
constexpr std::string_view kConflictsCount = ": ";                             // count, then:
constexpr std::string_view kConflictsList = " (tallyrun ";                     // folder, then:
constexpr std::string_view kConflictsListEnd = " lists them)";
constexpr std::string_view kProposal = "The lowest start with ";  // count, then:
constexpr std::string_view kFreeUnder = " free IDs under ";    // folder, then:
constexpr std::string_view kProposalStart = ": ";             // start, then:
constexpr std::string_view kProposalEnd = ". Press Enter to take it, or type another.";
constexpr std::string_view kNoFreeRun = ": no run of ";  // count, kFreeUnder, folder
constexpr std::string_view kFolderNotRead = ": not every IDE file under ";  // folder, then:
constexpr std::string_view kFolderNotReadEnd =
    " could be read, so the IDs in use are not known";
constexpr std::string_view kMeetsId = "\" meets ID ";     // after kAnswerWas, the answer
constexpr std::string_view kDefinedAt = ", defined at ";  // then path:line  model
constexpr std::string_view kNewIds = "The new IDs ";  // first, then:
constexpr std::string_view kNewIdsTo = " to ";       // last, then:
constexpr std::string_view kWereFreeUnder = " were free under ";  // folder, then:
constexpr std::string_view kSentenceEnd = ".";
// While a long block is sorted, on a console only: "Sorting line N of M".
constexpr std::string_view kSortingLine = "Sorting line ";
constexpr std::string_view kSortingOf = " of ";
// The refusals of a block file: what to do, then what every refusal leaves.
constexpr std::string_view kLeftAsTheyWere = "Sorted.ide and Sorted.log are left as they were.";
constexpr std::string_view kBlockNotTaken =
    "renumbrix takes a block file only once it is ready as it stands; ";
constexpr std::string_view kFixListed =
    "Fix the listed lines, then give renumbrix the block again; ";
constexpr std::string_view kNothingToSort = "No line here that renumbrix would take; ";
constexpr std::string_view kSplitBlock =
    "More lines than renumbrix takes in one run (999998): split the block; ";
constexpr std::string_view kNoStartTaken = "No starting ID taken; ";
constexpr std::string_view kSeveralBlocks = ": give it one block file, not several";
constexpr std::string_view kFolderUsage =
    ": give it one block file, and one folder of IDE files besides it at most";
// After the program's name and the file's.
constexpr std::string_view kBlockNotOnDisk =
    " is no file on disk, which renumbrix must read twice: to check it, then to sort it";
constexpr std::string_view kBlockChanged = " changed while renumbrix checked it: try again";
constexpr std::string_view kBlockIsResult =
    " is the Sorted.ide or Sorted.log that renumbrix writes beside it: rename it, then give it "
    "to renumbrix again";
constexpr std::string_view kBlockChangedAtQuestion =
    " changed while renumbrix asked for the starting ID: try again";
constexpr std::string_view kBlockChangedInSort =
    " changed while renumbrix sorted it, so Sorted.ide and Sorted.log do not hold the block "
    "as checked: try again";
constexpr std::string_view kCannotEnterFolder = ": cannot enter the folder of ";
// A line of a block file that cannot be read: the program's name, these
// around the line's number, then the file's name and the reason.
constexpr std::string_view kCannotReadLine = ": cannot read line ";
constexpr std::string_view kLineOf = " of ";

// Output file names, in the current directory.
constexpr const char* kSortedIdeName = "Sorted.ide";
constexpr const char* kSortingLogName = "Sorted.log";

// File creation and closing reports.
constexpr std::string_view kIdeCreated = "Created Sorted.ide file";
constexpr std::string_view kIdeNotCreated = "Unable to create Sorted.ide file";
constexpr std::string_view kLogCreated = "Created Sorted.log file";
constexpr std::string_view kLogNotCreated = "Unable to create sorted.log file";
// Follows either of the two above when the name leads to no file of the
// run's own: "it is a link; renumbrix writes only a file of its own".
constexpr std::string_view kItIs = "it is a ";
constexpr std::string_view kLink = "link";
constexpr std::string_view kDevice = "device";
constexpr std::string_view kSocket = "socket";
constexpr std::string_view kOwnFilesOnly = "; renumbrix writes only a file of its own";
constexpr std::string_view kIdeNotWritten = "Unable to write Sorted.ide file";
constexpr std::string_view kLogNotWritten = "Unable to write Sorted.log file";
// Shown on the console at the close, and recorded in the log's closing group.
constexpr std::string_view kIdeClosed = "Sorted.ide Closed";
constexpr std::string_view kLogClosed = "Sorted.log Closed";

// The dialogue.
constexpr std::string_view kAskCount =
    "Enter the Sorting IDE Obj(Lines) Amount:(Very Important.If wrong the program won`t "
    "function as intended.)";
constexpr std::string_view kAskStart = "Enter the object ID starting point ID:";
constexpr std::string_view kAskLine = "Enter the IDE lines:";
constexpr std::string_view kLineDone = "Line Processed";
constexpr std::string_view kQuitHint = "Press Any Key To Quit...";
constexpr std::string_view kFinished =
    "______________________________Sorting Finished!______________________________";
// Followed directly by the number of lines entered, on the console and in the log.
constexpr std::string_view kTotal = "Total IDs Sorted:";
constexpr std::string_view kThanks = "Special Thanks: Programmers around the globe.";

// Error reports: a complaint, then on the same line what happens next.
constexpr std::string_view kBadCount = "Invaild Input!!! ~ Object ID Amount  ";
constexpr std::string_view kBadStart = "Invaild Input!!! ~ Starting Point ID   ";
constexpr std::string_view kBadLineId =
    "Invaild Input!!! ~ Total IDE Line Amount & Entered IDE Line Amount Don`t Match";
constexpr std::string_view kClosingNotice = "    CLOSING   ~~~   Check Sorted.log for more info.";
// Shown before the report of unreadable input when console input starts with
// a UTF-16 byte-order mark.
constexpr std::string_view kInputIsUtf16 =
    "Console input is saved as UTF-16 (\"Unicode\"), which renumbrix cannot read: save it "
    "as UTF-8 or ANSI (Notepad: Save As, Encoding) and try again";
constexpr std::string_view kErrorNotice = "    ERROR!ERROR   ~~~   Check Sorted.log for more info.";

// Sorted.ide: header and trailer, and the mark of a rejected line's entry.
constexpr std::string_view kIdeHeader =
    "#Item Defination File Created by Korvath`s Sorting Script.\n"
    "objs\n";
constexpr std::string_view kIdeTrailer =
    "end\n"
    "tobj\n"
    "end\n"
    "2dfx\n"
    "end\n";
constexpr std::string_view kRejectedEntryMark = "#";

// Sorted.log records.
constexpr std::string_view kLogRunHeader =
    "Starting Sorted.log\n"
    "\n"
    "IDE sorting script made by Korvath.\n"
    "\n";
constexpr std::string_view kLogCrashed = "~~~~~~~~~~~~~~~Program Crashed~~~~~~~~~~~~~~~";
constexpr std::string_view kLogInvalidCount = "*****Invalid Object ID Amount*****";
constexpr std::string_view kLogInvalidStart = "*****Invalid Starting Point ID*****";
constexpr std::string_view kLogMismatch =
    "*****Total IDE Line Amount & Entered IDE Line Amount Don`t Match*****";
constexpr std::string_view kLogOnlyNumbers = "*****Only Normal Numbers Allowed, 0 to 999999.*****";
constexpr std::string_view kLogDeclaredWas = "Your Entered Total Object ID(Line) Amount Was:   ";
constexpr std::string_view kLogEnteredWas = "Your Inputted Total Object ID(Line) Amount Was:   ";
constexpr std::string_view kLogStartWas = "Your Entered Stating Point ID Was:   ";
constexpr std::string_view kLogEnteredMark = "+";
// Line block labels, all 24 characters wide so that every value starts in column 25.
constexpr std::string_view kLogEnteredLine = "Entered Line:           ";
constexpr std::string_view kLogIdDetected = "Object ID Detected:     ";
constexpr std::string_view kLogIdChanged = "Changed Object ID To:   ";
constexpr std::string_view kLogExtension = "Line Extention:         ";
constexpr std::string_view kLogUpdatedLine = "Updated Line:           ";
// Written without a line break: the total follows on the same line.
constexpr std::string_view kLogFinished =
    "------------------------------Log Finished!------------------------------";

}  // namespace renumbrix_text
