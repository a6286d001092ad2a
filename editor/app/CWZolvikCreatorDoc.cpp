#include "CWZolvikCreatorDoc.h"

#include "EditorTexts.h"
#include "ExportElement.h"

#include <QFileInfo>

CWZolvikCreatorDoc::CWZolvikCreatorDoc(wz::MessageBoxSink& messages, QObject* parent)
    : QObject(parent), messages_(messages), update_(messages) {
    update_.SetTreeHost(this);
}

bool CWZolvikCreatorDoc::OnOpenDocument(const QString& path) {
    // Nothing is read, but a document that cannot be opened at all is refused, as the
    // standard open command does.
    const QFileInfo file(path);
    return file.isFile() && file.isReadable();
}

bool CWZolvikCreatorDoc::InitialUpdate() {
    SetTitle(
        QString::fromUtf8(wz::kDocumentTitle.data(), static_cast<int>(wz::kDocumentTitle.size())));
    return update_.InitialUpdate();
}

std::string CWZolvikCreatorDoc::ExportFileName(int slot) const {
    return wz::ExportFileName(lists(), lists().Showing(), slot);
}

void CWZolvikCreatorDoc::ExportSlot(int slot, const std::string& file) {
    wz::ExportSlot(messages_, update_.AssetPath(), lists(), lists().Showing(), slot, file);
}
