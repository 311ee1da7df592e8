#include "tools/tlvx-count/count_help.h"

#include "program/program_version.h"

namespace tlvx::count {

const std::string& helpText() {
    static const std::string text =
        "Usage: tlvx-count [OPTION...] PROJECT.vbp | GROUP.vbg\n"
        "Counts the modules of a Visual Basic 6 project, or of every project of a\n"
        "group in group order, as the desktop program TLVX counts them. For each\n"
        "project it prints its position and file, its name and version, the listing\n"
        "(a header, one row per module sorted by module file, the total line) and\n"
        "the summary line, in UTF-8.\n"
        "\n"
        "Options:\n"
        "  --csv           fields separated by commas (quoted where needed)\n"
        "  --json          one JSON document\n"
        "  --record        record every count in the version history, as TLVX does\n"
        "  --history DIR   with --record: the version history lies in DIR\n"
        "  --codepage N    read and write project files and records in ANSI code\n"
        "                  page N: 874, 932, 936, 949, 950 or 1250-1258\n"
        "  -h, --help      show this help and exit\n"
        "  --version       show the version and exit\n"
        "  --              take what follows as the file name\n"
        "Without --csv or --json, fields are separated by tabs.\n"
        "\n"
        "Columns of the listing:\n"
        "  Module File     the module as the project file names it\n"
        "  Type            Form, Module, ClassModule, UserControl, PropertyPage,\n"
        "                  Designer, UserDocument, OtherModule; Invalid for a\n"
        "                  module file that does not exist (then no numbers)\n"
        "  P               pure lines: the lines after the designer-generated header\n"
        "  A               all lines of the file\n"
        "  C               comment lines: the first character other than a space\n"
        "                  or a tab is an apostrophe\n"
        "  B               blank lines: spaces and tabs only\n"
        "  P - C, P - B, P - C - B, A - C, A - B, A - C -B\n"
        "                  their differences; P - C - B are the lines of code\n"
        "                  written by hand\n"
        "C and B count the whole file, header included; P and A count a final line\n"
        "break as one more (empty) line.\n"
        "\n"
        "Exit status:\n"
        "  0  every project was counted (and recorded, with --record)\n"
        "  1  a project could not be counted or recorded: told on stderr after\n"
        "     the output of the others\n"
        "  2  nothing was counted (a wrong command line, a file that cannot be\n"
        "     read or holds no project, no component library, no working\n"
        "     folder): one line on stderr and nothing on stdout\n"
        "\n"
        "Growth across recorded versions:\n"
        "  tlvx-count --growth NAME [--history DIR] [--csv | --json]\n"
        "                  the recorded versions of project NAME in version order:\n"
        "                  the date of each record, its modules, its totals and\n"
        "                  their change from the version before\n"
        "  tlvx-count --compare NAME V1 V2 [--history DIR] [--csv | --json]\n"
        "                  every module of versions V1 and V2 (added, removed,\n"
        "                  changed or same), its numbers in both, their difference\n"
        "                  and the totals; a project or version with no record is\n"
        "                  told with status 2\n"
        "\n"
        "Environment:\n"
        "  TLVX_CODEPAGE   the ANSI code page when --codepage is not given; without\n"
        "                  it, the code page Windows gives the locale (LC_ALL,\n"
        "                  LC_CTYPE, LANG), else 1252\n"
        "\n"
        "See tlvx-count(1) for the files and folders it uses.\n";
    return text;
}

std::string versionText() {
    return std::string("tlvx-count ") + kVersionText + "\n";
}

}  // namespace tlvx::count
