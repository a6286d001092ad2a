#include "ExportElement.h"

#include "CfbCheck.h"
#include "CfbErrors.h"
#include "CompoundStorage.h"
#include "EditorTexts.h"
#include "ElementNames.h"
#include "OutputFile.h"

namespace wz {

namespace fs = std::filesystem;

namespace {

// The first fault the structural check finds in the element's chain (a small element's
// includes the mini stream's), or why the file could not be checked; empty when the chain is
// sound or the check does not reach the element (the read says why then).
std::string StructuralProblem(const fs::path& assetFile, const std::string& path) {
    cfb::CheckReport report;
    if (const int result = cfb::CheckFile(assetFile, report); result != cfb::kOk) {
        return cfb::ErrorText(result);
    }
    if (report.streamChains.empty()) {
        return report.problems.empty() ? std::string() : report.problems.front();
    }
    const auto it = report.streamChains.find(path);
    return it == report.streamChains.end() ? std::string() : it->second;
}

} // namespace

std::string ElementPath(const SlotLists& lists, SlotKind kind, int slot) {
    const bool pictures = kind == SlotKind::Pictures;
    return std::string(pictures ? "Images/" : "Music/") +
           (pictures ? lists.pictureStreamNames : lists.musicStreamNames).at(slot);
}

std::string ExportFileName(const SlotLists& lists, SlotKind kind, int slot) {
    const bool pictures = kind == SlotKind::Pictures;
    return (pictures ? lists.pictureStreamNames : lists.musicStreamNames).at(slot) +
           (pictures ? ".jpg" : ".mid");
}

bool ReadStoredElement(const fs::path& assetFile, const SlotLists& lists, SlotKind kind, int slot,
                       std::vector<std::uint8_t>& bytes, std::string& reason) {
    bytes.clear();
    const std::string path = ElementPath(lists, kind, slot);
    const std::string storageName = path.substr(0, path.find('/'));
    const std::string streamName = path.substr(path.find('/') + 1);
    CompoundStorage file;
    if (!file.Open(assetFile, true, false) ||
        !file.OpenStorage(cfb::NameFromUtf8(storageName), true) ||
        !file.ReadWholeStream(cfb::NameFromUtf8(streamName), bytes)) {
        // The check says better what is wrong with the element, when it finds it.
        const int result = file.result();
        file.CloseAll();
        reason = StructuralProblem(assetFile, path);
        if (reason.empty()) {
            reason = cfb::ErrorText(result);
        }
        bytes.clear();
        return false;
    }
    file.CloseAll();
    // The read trusts the chains it follows; the check looks at every chain of the file.
    reason = StructuralProblem(assetFile, path);
    if (!reason.empty()) {
        bytes.clear();
        return false;
    }
    return true;
}

bool ExportSlot(MessageBoxSink& messages, const fs::path& assetFile, const SlotLists& lists,
                SlotKind kind, int slot, const fs::path& target) {
    const auto fail = [&](std::string_view pattern, const std::string& name,
                          const std::string& reason) {
        std::string text = FillPlaceholders(pattern, name);
        if (!reason.empty()) {
            text += "\n" + reason;
        }
        messages.ShowMessage({std::string(kEditorTitle), text, MessageIcon::Exclamation,
                              MessageOwner::ActiveWindow});
        return false;
    };
    if (IsSameFile(assetFile, target)) {
        return fail(kExportWriteMessage, target.string(), SameFileText(assetFile, target));
    }
    std::vector<std::uint8_t> bytes;
    std::string reason;
    if (!ReadStoredElement(assetFile, lists, kind, slot, bytes, reason)) {
        return fail(kExportDamagedMessage, ElementPath(lists, kind, slot), reason);
    }
    if (!WriteOutputFile(target, bytes, reason)) {
        return fail(kExportWriteMessage, target.string(), reason);
    }
    return true;
}

} // namespace wz
