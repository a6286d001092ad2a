#include "WzAssets.h"

#include "CfbCheck.h"

#include <ostream>

namespace wz::assets {

namespace {

// Every command of the tool; a new command is one more line here.
const Command kCommands[] = {
    {"build", "build OUT [--from DIR [--fit]] [--quiet]",
     "writes a complete asset file to OUT; each element comes from DIR/<storage>/<name>.<ext> "
     "when that file exists (for example DIR/Images/Love3.jpg), else from the default content; "
     "with --fit, every background from DIR that is not a 296 x 432 JPEG is fitted to one as "
     "fit does with the attention crop (the tile sheet Titles never is), one line per picture",
     RunBuild},
    {"fit", "fit IN OUT [--crop attention|centre|X,Y,W,H] [--quality N]",
     "writes the game picture of IN (JPEG, PNG, WebP, GIF, TIFF, HEIF/AVIF or BMP) to OUT: a "
     "296 x 432 baseline JPEG of quality N (90), cropped where the picture's interest lies, in "
     "its centre, or to the rectangle of W x H pixels at X,Y of the upright picture",
     RunFit},
    {"list", "list FILE",
     "one line per element, sorted by path: \"Images/\" for a storage, "
     "\"Images/Love1<TAB>size\" for a stream",
     RunList},
    {"extract", "extract FILE PATH OUT",
     "writes the stream PATH (for example Images/Love1) into OUT; OUT \"-\" is standard "
     "output; a stream whose chain is damaged or shared with another is refused",
     RunExtract},
    {"unpack", "unpack FILE DIR",
     "writes every element of the game's tree into DIR/<storage>/<name>.<ext>, the files "
     "build --from reads back; names every other element it leaves out",
     RunUnpack},
    {"check", "check [--strict] FILE",
     "verifies the file's structure and content; prints each error on a line and each note "
     "(readable, but not as a careful writer leaves it) on a line starting \"note: \"; exit 1 "
     "on any error, and with --strict on any note too; a file that passes gets the line "
     "\"FILE: OK, N streams in N storages[, N notes]\"",
     RunCheck},
};

void PrintHelp(std::ostream& out) {
    out << "Usage: wzassets COMMAND ARGUMENTS...\n"
           "Builds, lists, extracts, unpacks and checks the asset file WinData.stg (a compound "
           "file), and fits any picture to a game picture.\n\n"
           "Commands:\n";
    for (const Command& c : kCommands) {
        out << "  wzassets " << c.usage << "\n      " << c.summary << "\n";
    }
    out << "\nExit status: 0 on success, 1 when the file is missing, damaged or has problems\n"
           "(for check --strict also notes), 2 for a command line that is not understood.\n";
}

} // namespace

int RunWzAssets(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        PrintHelp(err);
        return 2;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintHelp(out);
        return 0;
    }
    for (const Command& c : kCommands) {
        if (args[0] == c.name) {
            const std::vector<std::string> rest(args.begin() + 1, args.end());
            for (const std::string& a : rest) {
                if (a == "--help" || a == "-h") {
                    out << "Usage: wzassets " << c.usage << "\n" << c.summary << "\n";
                    return 0;
                }
            }
            return c.run(rest, out, err);
        }
    }
    err << "wzassets: unknown command \"" << args[0] << "\" (try wzassets --help)\n";
    return 2;
}

int UsageError(std::ostream& err, std::string_view command) {
    for (const Command& c : kCommands) {
        if (c.name == command) {
            err << "Usage: wzassets " << c.usage << "\n";
        }
    }
    return 2;
}

int Fail(std::ostream& err, const std::string& what, const std::string& reason) {
    err << "wzassets: " << what << ": " << reason << "\n";
    return 1;
}

} // namespace wz::assets
