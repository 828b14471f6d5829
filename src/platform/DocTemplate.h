#pragma once
// Creates documents, owns the open ones and finds them by path. It knows the two file
// kinds a document can be: the document extension and the template extension.

#include <functional>
#include <memory>
#include <vector>

#include <QString>

namespace platform {

class Document;

class DocTemplate {
public:
    using Factory = std::function<std::unique_ptr<Document>()>;

    // Extensions without the dot, for example "orv" and "ort".
    DocTemplate(QString documentExtension, QString templateExtension, QString untitledBase,
                Factory factory);
    ~DocTemplate();
    DocTemplate(const DocTemplate&) = delete;
    DocTemplate& operator=(const DocTemplate&) = delete;

    const QString& documentExtension() const { return documentExtension_; }
    const QString& templateExtension() const { return templateExtension_; }

    // A new untitled document: created, newDocument() run, titled with the next number of
    // the untitled counter. Returns null (and keeps nothing) when any step fails.
    Document* newDocument();
    // Opens path. An already open document for the path is activated and returned
    // instead of a second one; returns null when the document does not open.
    Document* openDocumentFile(const QString& path);
    // Takes ownership of a document made elsewhere (for example one opened by hand).
    Document* adopt(std::unique_ptr<Document> doc);

    // The open document whose path name is path (exact comparison after cleaning), or null.
    Document* findOpenDocument(const QString& path) const;
    const std::vector<std::unique_ptr<Document>>& documents() const { return documents_; }

    // Asks doc whether it may close; closes and destroys it when it may.
    bool closeDocument(Document* doc);
    // Destroys doc without asking.
    void removeDocument(Document* doc);
    // Closes every document without asking.
    void closeAll();

    // "Untitled1", "Untitled2", ... in the order they are asked for.
    QString nextUntitledTitle();

private:
    QString documentExtension_;
    QString templateExtension_;
    QString untitledBase_;
    Factory factory_;
    int untitledCount_ = 0;
    std::vector<std::unique_ptr<Document>> documents_;
};

}  // namespace platform
