#include "CWZolvikCreatorDoc.h"

#include "EditorTexts.h"

#include <QFileInfo>

CWZolvikCreatorDoc::CWZolvikCreatorDoc(wz::MessageBoxSink& messages, QObject* parent)
    : QObject(parent), update_(messages) {
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
