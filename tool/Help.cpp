#include "Help.h"

#include <cstring>

#include "VornalixVersion.h"

namespace {

struct HelpText
{
    const char* command;
    const char* text;
};

const char kProgramHelp[] = "Usage: vornalix-tool COMMAND [OPTIONS] [ARGUMENTS]\n"
                            "\n"
                            "Command-line companion of Vornalix for analog TV channel tables (.ccf),\n"
                            "old channel tables (.cft) and tuner specification tables (.tsf). Every\n"
                            "command reads and writes through the same table code as the editors.\n"
                            "\n"
                            "Commands:\n"
                            "  dump [--json] [--type T] FILE...      the tables as the editors load them\n"
                            "  build FILE.json -o OUT                a .ccf or .tsf from dump --json's JSON\n"
                            "  build --csv FILE.csv --country CODE -o OUT.ccf\n"
                            "                                        a channel table from a CSV plan\n"
                            "  build --plan NAME -o OUT.ccf          a channel table from a standard plan\n"
                            "  build --country-plan CODE|NAME -o OUT.ccf\n"
                            "                                        a country's table from its plans\n"
                            "  export [--type T] FILE                the table as CSV on standard output\n"
                            "  convert FILE.cft...                   old tables into .ccf files beside them\n"
                            "  check [--type T] FILE...              what to fix before shipping a table\n"
                            "  diff [--json] [--type T] A B          what differs between two tables\n"
                            "  country CODE...                       country and TV system of calling codes\n"
                            "  catalogue [--json] [INF]              factories and tuner types of a catalogue\n"
                            "  plans [--json]                        the standard channel plans and countries\n"
                            "\n"
                            "  --help        this text; COMMAND --help (or help COMMAND) explains one\n"
                            "                command\n"
                            "  --version     the program's version\n"
                            "\n"
                            "Exit status: 0 when every file was handled (and check found nothing,\n"
                            "diff no difference), 1 when check found something, diff found differences\n"
                            "or a conversion or write failed, 2 when a file could not be read or the\n"
                            "arguments are wrong.\n";

const HelpText kCommandHelp[] = {
    {"dump", "Usage: vornalix-tool dump [--json] [--type ccf|cft|tsf] FILE...\n"
             "\n"
             "Shows each table as the editors load it. The type comes from the file's\n"
             "extension (.ccf, .cft, .tsf, in any case) unless --type names it.\n"
             "\n"
             "Without --json: a listing with one line per header field and per channel\n"
             "or per tuner field, made for line diffs (git diff through a textconv\n"
             "driver). Several files are each headed by \"==> FILE <==\".\n"
             "\n"
             "With --json: one compact JSON object per file on one line; several files\n"
             "give one JSON array. Doubles are in the shortest form that reads back to\n"
             "the same value; non-finite values are the strings \"nan\", \"inf\", \"-inf\"\n"
             "(a NaN with other bits is \"nan:\" and its 16 hex digits). build turns the\n"
             "JSON of a .ccf or .tsf back into the same bytes.\n"
             "\n"
             "  --json        JSON instead of the listing\n"
             "  --type T      read every FILE as a T table (ccf, cft or tsf)\n"},
    {"build", "Usage: vornalix-tool build FILE.json -o OUT\n"
              "       vornalix-tool build --csv FILE.csv --country CODE -o OUT.ccf\n"
              "       vornalix-tool build --plan NAME -o OUT.ccf\n"
              "       vornalix-tool build --country-plan CODE|NAME -o OUT.ccf\n"
              "\n"
              "Writes a table through the editors' own save.\n"
              "\n"
              "From JSON: the document dump --json writes for one .ccf or .tsf file; the\n"
              "file comes back byte for byte. Header fields may be left out (they then\n"
              "take the values of a new table, and a list's \"min\" the first channel with\n"
              "a frequency); counts (\"max\", \"entry_count\") must match the lists when\n"
              "they are given, except a negative \"entry_count\" with no entries: a file\n"
              "may hold one, and it is written back as the header with that count and\n"
              "the end mark. Tuner entries keep the document's order. A list holds at\n"
              "most 65,535 channels and a tuner table at most 100,000 entries.\n"
              "\n"
              "From CSV: the header list,channel,frequency_mhz, then one row per channel:\n"
              "list air or cable, channels 1, 2, 3... of each list in order, the frequency\n"
              "in MHz (0 for an empty slot). CODE is the country's calling code, above 0.\n"
              "\n"
              "  -o, --output OUT      the file to write (replaced safely if it exists)\n"
              "  --csv FILE.csv        build from a CSV channel plan\n"
              "  --country CODE        the country code of a CSV-built table\n"
              "  --plan NAME           a new table whose air list is the standard plan NAME\n"
              "  --country-plan C      a new table for a country (a calling code, which\n"
              "                        takes the first country listed with it, or a name in\n"
              "                        any case): its broadcast plan as the air list, its\n"
              "                        cable plan as the cable list, its calling code\n"
              "\n"
              "A table from a plan is the table the channel editor's \"New from Plan...\"\n"
              "makes, byte for byte; vornalix-tool plans lists the plans and countries.\n"},
    {"export", "Usage: vornalix-tool export [--type ccf|cft|tsf] FILE\n"
               "\n"
               "Writes the table as CSV on standard output. Channel tables (.ccf, and the\n"
               "channels an old .cft table converts to): the header list,channel,frequency_mhz\n"
               "and one row per channel, empty slots as 0; build --csv reads it back.\n"
               "Tuner tables (.tsf): one row per entry in file order with the header\n"
               "factory,tuner_type,sort_key,low_band_start,mid_band_start,high_band_start,\n"
               "high_band_end,picture_carrier,picture_carrier2,low_code,mid_code,high_code,\n"
               "reserved (codes as decimal numbers).\n"
               "\n"
               "  --type T      read FILE as a T table (ccf, cft or tsf)\n"},
    {"convert", "Usage: vornalix-tool convert FILE.cft...\n"
                "\n"
                "Converts each old table as the editor's converter does and writes the new\n"
                "table beside it: the name up to its last dot, then \"ccf\" (fr.cft gives\n"
                "fr.ccf, replacing an older fr.ccf). Prints \"IN -> OUT\" for each file\n"
                "converted; a file that cannot be converted gets a line on standard error.\n"},
    {"check", "Usage: vornalix-tool check [--type ccf|cft|tsf] FILE...\n"
              "\n"
              "Prints one line \"FILE: finding\" for each thing worth knowing before a\n"
              "table ships: a length that does not match the counts; marker, magic, end\n"
              "mark or reserved words other than a new table writes; a country code the\n"
              "catalogue does not know; for channels, negative or non-finite frequencies,\n"
              "frequencies that do not rise along a list and a stored range that does not\n"
              "match the channels with a frequency; for tuners, band edges out of order,\n"
              "a picture carrier of 0, repeated or falling sort keys and factory or\n"
              "tuner-type codes that are not two BCD digits; for old tables, trailer\n"
              "maxima above the header's counts. The same frequency on two channels of a\n"
              "list is a warning, \"FILE: warning: finding\", for each later channel.\n"
              "Exit status 1 when anything was found, warnings included.\n"
              "\n"
              "  --type T      read every FILE as a T table (ccf, cft or tsf)\n"},
    {"diff", "Usage: vornalix-tool diff [--json] [--type ccf|tsf] A B\n"
             "\n"
             "Compares two tables of one kind, both read as the editors load them, and\n"
             "prints one line per difference, A's value first:\n"
             "\n"
             "  header fields: \"country code: 44 -> 49\", \"air range: 1 to 3 -> 1 to 4\"\n"
             "    (marker, reserved, magic, country code, entry count, end mark, the\n"
             "    stored range of each channel list)\n"
             "  channels, by position in each list (air, then cable):\n"
             "    \"air 002: 55.25 MHz -> 62.25 MHz\", \"air 004: added 62.25 MHz\" (B is\n"
             "    longer), \"cable 007: removed 175.25 MHz\" (B is shorter)\n"
             "  tuner entries, by factory and tuner type in sort-key order: one line per\n"
             "    changed field (\"factory 03, tuner type 12: low code 0001 -> 0002\"), or\n"
             "    the whole entry \"added\" or \"removed\"; a repeated key is told by\n"
             "    \"#2\", \"#3\"; \"entry order: ...\" when the entries both tables hold\n"
             "    stand in another order\n"
             "\n"
             "The entry count is shown only where it is not the number of entries (a\n"
             "negative count). Frequencies compare by their stored bits (a NaN equals\n"
             "only the same NaN, 0 and -0 differ) and are written as dump writes them.\n"
             "Equal tables print nothing. Old tables (.cft) are not compared: convert\n"
             "them first.\n"
             "\n"
             "With --json: one JSON object, {\"format\":\"ccf\",\"equal\":0|1,\"header\":\n"
             "{FIELD:{\"old\":..,\"new\":..}},\"air\":[{\"channel\":N,\"change\":\"changed\"|\n"
             "\"added\"|\"removed\",\"old\":..,\"new\":..}],\"cable\":[..]}, or for tuner\n"
             "tables {\"format\":\"tsf\",\"equal\":..,\"header\":{..},\"order_changed\":0|1,\n"
             "\"entries\":[{\"factory\":..,\"tuner_type\":..,\"occurrence\":..,\"sort_key\":..,\n"
             "\"change\":..,\"old\"|\"new\":ENTRY or \"fields\":{FIELD:{\"old\":..,\"new\":..}}}]}\n"
             "with the field names and values of dump --json.\n"
             "\n"
             "Exit status 0 when the tables are equal, 1 when they differ, 2 when a\n"
             "file cannot be read, is not a table, the two are of different kinds or\n"
             "the arguments are wrong.\n"
             "\n"
             "  --json        one JSON document instead of the lines\n"
             "  --type T      read both files as T tables (ccf or tsf)\n"},
    {"country", "Usage: vornalix-tool country CODE...\n"
                "\n"
                "Prints one line per calling code: the code, the country's name and its\n"
                "TV system's name, separated by tabs, as the channel editor shows them\n"
                "(\" -- \" for a code the catalogue does not know).\n"},
    {"catalogue", "Usage: vornalix-tool catalogue [--json] [INF]\n"
                  "\n"
                  "Lists the factories of a tuner catalogue and the tuner types of each, read\n"
                  "as the tuner editor reads them. Without INF, the catalogue the editor\n"
                  "opens: the first TunerSpec.inf that can be read beside the program, in\n"
                  "../share/vornalix/ from it, in $XDG_DATA_HOME/vornalix/ or in each of\n"
                  "$XDG_DATA_DIRS/vornalix/. The listing gives each factory's\n"
                  "code in hex and its name, then a tab-indented line per tuner type.\n"
                  "\n"
                  "  --json        {\"factories\":[{\"code\":..,\"name\":..,\"tuner_types\":[{\"code\":..,\n"
                  "                \"text\":..}]}]}; a factory whose section cannot be read has\n"
                  "                \"tuner_types\":null\n"},
    {"plans", "Usage: vornalix-tool plans [--json]\n"
              "\n"
              "Lists the standard channel plans and the countries, as the channel\n"
              "editor's \"New from Plan...\" shows them. First \"plans: N\", then one line\n"
              "per plan: its name, channel count, first and last channel label, how its\n"
              "channels are numbered and its source. Then \"countries: N\", and one line per\n"
              "country: its name, calling code, TV system, broadcast plan and cable plan\n"
              "(empty where none was published). Fields are separated by tabs.\n"
              "\n"
              "Channel numbers are positions: when every label of a plan is a whole\n"
              "number, each channel goes to the position its label names and the\n"
              "positions in between stay empty (0 MHz), so broadcast channel 2 is\n"
              "channel 2; otherwise (\"E2\", \"S21\") the channels are numbered 1, 2, 3...\n"
              "in the plan's order.\n"
              "\n"
              "The plans are found as the tuner catalogue is: in plans/ beside the\n"
              "program, in ../share/vornalix/plans from it, in $XDG_DATA_HOME/vornalix/plans\n"
              "and in each $XDG_DATA_DIRS/vornalix/plans, the first that holds the index.\n"
              "Plans of your own, CSV files with the header channel,frequency_mhz in\n"
              "$XDG_DATA_HOME/vornalix/plans (default ~/.local/share/vornalix/plans), are\n"
              "listed with the others (one with the name of a standard plan takes its\n"
              "place). A file that cannot be read is reported on standard error with its\n"
              "line, and the listing goes on without it.\n"
              "\n"
              "A plan holds at most 65535 channels, labels of at most 32 bytes and\n"
              "frequencies of at most 32 characters. A plan file larger than 6750135\n"
              "bytes (the longest way of writing that much) is refused without being\n"
              "read, and so are FIFOs and devices. Of your own plans the first 100 by\n"
              "file name are read; the rest are counted on standard error. A plan's\n"
              "channels are read when a table is built from it. Names, labels and paths\n"
              "are printed with control characters and \\ as C escapes (\\n, \\x1b, \\\\).\n"
              "\n"
              "  --json        {\"plans\":[{\"name\":..,\"source\":..,\"section\":..,\"own\":0|1,\n"
              "                \"channels\":..,\"positions\":..,\"labels_are_positions\":0|1,\n"
              "                \"first\":..,\"last\":..}],\"countries\":[{\"name\":..,\"code\":..,\n"
              "                \"tv_system\":..,\"plan\":..,\"cable_plan\":..}],\"problems\":[..]}\n"},
};

} // namespace

bool PrintHelp(std::ostream& out, const std::string& command)
{
    if (command.empty()) {
        out << kProgramHelp;
        return true;
    }
    for (const HelpText& help : kCommandHelp) {
        if (command == help.command) {
            out << help.text << "\n  -h, --help    this text\n";
            return true;
        }
    }
    return false;
}

const char* ToolVersionText()
{
    return "vornalix-tool " VORNALIX_VERSION;
}
