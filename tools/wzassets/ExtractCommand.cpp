// wzassets extract FILE PATH OUT: one stream's bytes into a file or standard output, once the
// structural check has found its chain sound.

#include "CfbStorage.h"
#include "CheckedStreams.h"
#include "OutputFile.h"
#include "WzAssets.h"

#include <ostream>

namespace wz::assets {

int RunExtract(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 3) {
        return UsageError(err, "extract");
    }
    const std::string& file = args[0];
    const std::string& path = args[1];
    const std::string& target = args[2];
    // The rename that writes OUT would put the stream in the place of the file it comes from.
    if (target != "-" && IsSameFile(file, target)) {
        err << "wzassets: " << SameFileText(file, target) << "\n";
        return 1;
    }
    std::shared_ptr<cfb::Storage> root;
    if (int r = cfb::OpenCompoundFile(file, cfb::kModeRead | cfb::kShareDenyWrite, root);
        r != cfb::kOk) {
        return Fail(err, file, cfb::ErrorText(r));
    }
    std::shared_ptr<cfb::Stream> stream;
    cfb::CheckReport report;
    if (int r = cfb::CheckFile(file, report); r != cfb::kOk) {
        return Fail(err, file, cfb::ErrorText(r));
    }
    const int opened = OpenStreamAt(*root, path, stream);
    if (opened == cfb::kErrNotFound) {
        return Fail(err, file + ": " + path, "no such stream");
    }
    // The check's verdict before the open's: it says how a chain is damaged, where the open
    // that refuses such a stream only says that it is.
    if (std::string fault = ChainFault(report, path); !fault.empty()) {
        return Fail(err, file + ": " + path, fault);
    }
    if (opened != cfb::kOk) {
        return Fail(err, file + ": " + path, cfb::ErrorText(opened));
    }
    std::string what;
    std::string why;
    if (target != "-") {
        return WriteStreamFile(*stream, file + ": " + path, target, what, why)
                   ? 0
                   : Fail(err, what, why);
    }
    if (int r = CopyStream(*stream, out); r != cfb::kOk) {
        return Fail(err, file + ": " + path, cfb::ErrorText(r));
    }
    out.flush();
    return out ? 0 : Fail(err, "standard output", "write failed");
}

} // namespace wz::assets
