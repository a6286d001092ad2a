#pragma once

// The document holds nothing: the pending replacements live in the view. It only carries the
// title that the frame shows in its caption.

#include <QObject>
#include <QString>

class CWZolvikCreatorDoc : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    const QString& GetTitle() const { return title_; }
    void SetTitle(const QString& title);

    // The standard new and open commands; the document keeps and reads nothing.
    bool OnNewDocument() { return true; }
    bool OnOpenDocument(const QString& path);

signals:
    void titleChanged(const QString& title);

private:
    QString title_;
};
