// SPDX-License-Identifier: MIT
#include "cli/UsageText.h"

namespace cli {
namespace {

constexpr std::string_view kProgram =
    R"(Usage: kelvora-cmd [-H HOST[:PORT] [-u USER] [--tls [--ca FILE]]] [-a ACCOUNT]
                   [-t UniVerse|UniData] COMMAND [ARGUMENTS]

Works on a Kelvora account (a folder of D_FILE dictionary folders), or an account on a
database server, without a window, through the same client objects as the program.

Commands (any letter case):
  EXEC "COMMAND"      run a command (SSELECT, SELECT, CD) and print its response
  export FILE [OUT]   write the export listing of the dictionary of FILE
  check [FILE ...]    compile every I and V descriptor, writing nothing
  dump PLACE FILE DIR         the dictionary as text files in DIR, for source control
  load DIR PLACE FILE         write a dump's items into the dictionary at PLACE
  diff PLACE_A PLACE_B FILE   the items that differ, field by field
  apply FROM TO FILE          make TO's dictionary hold FROM's items
  equates PLACE FILE          the field-number EQUATEs of the dictionary, for BASIC
  list PLACE FILE [FIELD ...] the records of FILE as its descriptors show them
  history PLACE FILE [ID]     who changed the items, and how, newest first

A PLACE is an account folder, a folder written by dump, or an account on a server as
USER@HOST[:PORT]/ACCOUNT; its password comes from KELVORA_PASSWORD (the second server of
diff or apply: KELVORA_PASSWORD_TO), or is asked without echo. --tls and --ca apply.

Options (before the command):
  -a, --account ACCOUNT   the account folder (default: the current folder); with -H
                          the account on the server
  -t, --type TYPE         UniVerse or UniData: the order of the export, and the
                          service asked of a server (default: UniVerse)
  -H, --host HOST[:PORT]  work on a server (port 31438 unless given); the password
                          comes from KELVORA_PASSWORD, or is asked without echo
  -u, --user USER         the user name on the server
  --tls                   encrypt the connection to the server (TLS); its certificate
                          must be trusted by the system and name HOST
  --ca FILE               trust the CA certificates of FILE (PEM) instead of the
                          system's (implies --tls)
  --read-ahead N          reads of a dictionary's items sent to the server before
                          they are needed (default 256; 1 sends each when needed)
  -h, --help              this help; "kelvora-cmd COMMAND --help" for a command

Exit status: 0 success, 1 failure (named on standard error), 2 usage error.

Examples:
  kelvora-cmd -a ~/accounts/sales EXEC "SSELECT DICT ORDERS BY F1"
  kelvora-cmd -a ~/accounts/sales -t UniData export ORDERS orders.txt
  kelvora-cmd -a ~/accounts/sales check
  kelvora-cmd -H db.example.com -u ann -a sales EXEC "SSELECT DICT ORDERS"
  kelvora-cmd -H db.example.com --tls -u ann -a sales export ORDERS orders.txt
)";

constexpr std::string_view kExec =
    R"(Usage: kelvora-cmd [-a ACCOUNT] EXEC "COMMAND"

Connects to the account (default: the current folder), runs COMMAND and prints its
response on standard output. After SELECT or SSELECT the ids of select list 0 follow,
one a line, in order, byte for byte. Several words after EXEC are joined with blanks.

Exit status 0 when the command's error code is 0; otherwise the code and its name go to
standard error and the status is 1.

Examples:
  kelvora-cmd EXEC "SSELECT DICT CUSTOMERS BY F1 BY @ID"
  kelvora-cmd -a /srv/accounts/sales EXEC "CD ORDERS"
)";

constexpr std::string_view kExport =
    R"(Usage: kelvora-cmd [-a ACCOUNT] [-t UniVerse|UniData] export FILE [OUT]

Writes the export listing of the dictionary of FILE, the same bytes as the program's
export: one line per item, the item id and fields 1 to 10 separated by tabs, ended by
CR LF, in the order of the program's select for the database type: with -t UniVerse
(the default) SSELECT DICT FILE BY F1 BY RLOCATION, with -t UniData
SSELECT DICT FILE BY LOC BY @ID.

OUT absent or "-": standard output. Otherwise the listing replaces OUT only once every
byte is written; a failed export leaves OUT as it was. A progress line shows on
standard error when it is a terminal. Items that cannot be read are left out, named by
count on standard error, and make the exit status 1.

Examples:
  kelvora-cmd -a ~/accounts/sales export ORDERS orders.txt
  kelvora-cmd -t UniData export CUSTOMERS - | sort > customers.txt
)";

constexpr std::string_view kCheck =
    R"(Usage: kelvora-cmd [-a ACCOUNT] check [FILE ...]

Compiles every I and V descriptor of the dictionaries of the named files (default: every
D_FILE folder of the account; on a server the files must be named) as CD would, but
writes nothing. Prints, sorted by file
and item id:
  FILE ITEM: column N: MESSAGE   a descriptor that does not compile
  FILE ITEM: refused: ...        an item the program cannot read or store faithfully:
                                 a file name that is not an escaped item id (the
                                 program skips it), an item file holding the byte 0xFE,
                                 or one that is not a readable regular file
  FILE ITEM: note: ...           worth a look: a type code in lower case, a hidden file
then a summary line. Control bytes of ids are shown as \xNN.

Exit status 1 when a descriptor failed, an item was refused or a dictionary could not
be opened; notes alone leave it 0.

Examples:
  kelvora-cmd -a ~/accounts/sales check
  kelvora-cmd check ORDERS CUSTOMERS
)";

constexpr std::string_view kDump =
    R"(Usage: kelvora-cmd dump PLACE FILE DIR

Writes the dictionary of FILE at PLACE into the folder DIR (made when missing) as text
that diffs well: one file per item, named by its escaped id as in an account folder, one
line per field. A backslash is written \\, the value, subvalue and text marks \], \}
and \|, and any other byte that is not printable text \xHH. DIR/.kelvora-dump lists the
files the dump wrote. Run again, the dump rewrites only the items that changed and
removes the files of items that are gone; it touches no other file. Into a new folder it
also writes .gitattributes with "* -text" (unless there is one), so git keeps the line
ends; a file whose lines end in CR LF all the same reads as it was dumped.

Example:
  kelvora-cmd dump ~/accounts/dev ORDERS dict/ORDERS
)";

constexpr std::string_view kLoad =
    R"(Usage: kelvora-cmd load DIR PLACE FILE [--plan] [--exact]

Writes every item of the dump folder DIR into the dictionary of FILE at PLACE, as apply
does (each item locked, checked unchanged since it was read, then written), byte for
byte as dumped: nothing is compiled. Items of the dictionary that are not in DIR stay,
named in the plan. An item that differs only in empty fields at its end is left as it
is unless --exact. --plan prints what would be written and writes nothing.

Exit status: with --plan, 0 nothing to write, 1 items to write, 2 error; a real load 0
when every item was written, 2 when it stopped.
)";

constexpr std::string_view kDiff =
    R"(Usage: kelvora-cmd diff PLACE_A PLACE_B FILE [--json] [--compiled] [--exact]

Compares the dictionaries of FILE at two places (either may be a dump folder) and prints
the items only in A, only in B, and changed, each changed field with its number, its
column in the item's view and A's value -> B's value, the marks shown as [VM], [SM] and
[TM]. The fields a compile writes into I and V items (9 on) are left out unless
--compiled. A field one side does not have and the other has empty is no difference, so
empty fields at the end of an item (a save writes its view's fields 1 to N) show only
with --exact. --json prints one JSON object instead (bytes outside printable ASCII as
\u00XX, read as Latin-1).

Exit status: 0 the dictionaries hold the same items, 1 they differ, 2 error.

Example:
  kelvora-cmd diff dict/ORDERS ann@test.example.com/sales ORDERS
)";

constexpr std::string_view kApply =
    R"(Usage: kelvora-cmd apply FROM TO FILE [--plan] [--delete] [--compiled] [--merge]
                        [--exact]

Makes the dictionary of FILE at TO hold FROM's items (FROM may be a dump folder). Prints
the plan: the items to add, change (each changed field as diff shows it, TO's value ->
FROM's) and with --delete delete; without it, the items only in TO, which stay. Without
--plan it then makes each: the item is locked, checked to be as the plan read it, and
written or deleted. An item locked by another user or changed since the plan stops the
apply there: nothing after it is written, and the items already made are named. With
--merge, an item changed since the plan in other fields than the apply changes takes
the apply's changes on top of that change instead; a field changed on both sides still
stops it. The I and V items written are compiled at the end, and compile errors
reported. Items that differ only in the fields a compile writes are left as they are
unless --compiled, and those that differ only in empty fields at their end unless
--exact.

Exit status: with --plan, 0 nothing to do, 1 items to write, 2 error; a real apply 0
when every item was written, 2 when it stopped or a descriptor did not compile.

Example:
  kelvora-cmd apply dict/ORDERS ann@prod.example.com/sales ORDERS --plan
)";

constexpr std::string_view kEquates =
    R"(Usage: kelvora-cmd equates PLACE FILE [--prefix P] [--out FILE | --check FILE]

Writes a BASIC include with one EQUATE line per D, A and S item with a field number of 1
or more, sorted by field number then name, after a comment line naming the file: the
same bytes on every run (docs/equates.md gives the rule for the names). --prefix puts P
in front of every name. --out writes the include to FILE (replaced whole) instead of
standard output. --check FILE compares instead and exits 1 when FILE no longer matches.

Example:
  kelvora-cmd equates ~/accounts/dev ORDERS --prefix ORD. --out include/ORDERS.EQU
)";

constexpr std::string_view kList =
    R"(Usage: kelvora-cmd list PLACE FILE [FIELD ...] [--id ID]... [--sample N] [--tsv]

Shows the records of FILE as its dictionary's descriptors make them: each FIELD (any D,
A, S, I or V item) on each record, I and V items evaluated from their expressions, then
converted by field 3 of the item. Without FIELDs: the items of the @ phrase, else every
D item in field order. Records: those of each --id, in that order; else every record in
id order, or the first N with --sample N.

The report (the default) gives @ID first, headings from field 4, each column laid out by
field 5, and multivalues on the lines that follow. --tsv gives one line per record (LF
ends): the id, then each value as converted, with no layout; value and subvalue marks
as their bytes.

A value that cannot be worked out here is "?" in the report (empty in --tsv); its
record, field and reason go to standard error and the exit status is 1; the record's
other values are still given. An unknown FILE or FIELD: exit status 2, naming it.

Example:
  kelvora-cmd list ~/accounts/sales ORDERS CUSTOMER TOTAL --sample 10
)";

constexpr std::string_view kHistory =
    R"(Usage: kelvora-cmd history PLACE FILE [ID] [--json]

Lists the changes of the items of FILE's dictionary (or of item ID), newest first: when
(local time), who (the login name on an account folder, the user name on a server), the
origin (edit, undo, redo, restore, automatic, copy), what happened to the item, and the
fields a save changed, as diff prints them. A change the account refused is marked so.

The history of an account folder is the journal every user of it writes; on a server,
the one kelvora-server keeps (KELVORA.HISTORY). A server without it leaves the changes
made from this computer only, which standard error says. --json gives a list of objects
(when in UTC, user, origin, outcome, id, what, and the fields with their old and new
values, each byte outside printable ASCII as the code point of the same number).

Example:
  kelvora-cmd history ~/accounts/sales ORDERS QTY
)";

}  // namespace

std::string_view UsageText(Subcommand subcommand) {
    switch (subcommand) {
        case Subcommand::kExec:
            return kExec;
        case Subcommand::kExport:
            return kExport;
        case Subcommand::kCheck:
            return kCheck;
        case Subcommand::kDump:
            return kDump;
        case Subcommand::kLoad:
            return kLoad;
        case Subcommand::kDiff:
            return kDiff;
        case Subcommand::kApply:
            return kApply;
        case Subcommand::kEquates:
            return kEquates;
        case Subcommand::kList:
            return kList;
        case Subcommand::kHistory:
            return kHistory;
        case Subcommand::kNone:
            break;
    }
    return kProgram;
}

}  // namespace cli
