#include "CWZolvikCreatorDoc.h"

#include <QFileInfo>

void CWZolvikCreatorDoc::SetTitle(const QString& title) {
    title_ = title;
    emit titleChanged(title_);
}

bool CWZolvikCreatorDoc::OnOpenDocument(const QString& path) {
    // Nothing is read, but a document that cannot be opened at all is refused, as the
    // standard open command does.
    const QFileInfo file(path);
    return file.isFile() && file.isReadable();
}
