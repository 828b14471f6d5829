#include "platform/DocTemplate.h"

#include <algorithm>

#include <QDir>
#include <QFileInfo>

#include "platform/Document.h"
#include "platform/View.h"

namespace platform {

namespace {

QString cleanPath(const QString& path) {
    return path.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

}  // namespace

DocTemplate::DocTemplate(QString documentExtension, QString templateExtension,
                         QString untitledBase, Factory factory)
    : documentExtension_(std::move(documentExtension)),
      templateExtension_(std::move(templateExtension)),
      untitledBase_(std::move(untitledBase)),
      factory_(std::move(factory)) {}

DocTemplate::~DocTemplate() = default;

QString DocTemplate::nextUntitledTitle() {
    return untitledBase_ + QString::number(++untitledCount_);
}

Document* DocTemplate::newDocument() {
    if (!factory_) return nullptr;
    std::unique_ptr<Document> doc = factory_();
    if (!doc) return nullptr;
    doc->template_ = this;
    // The title is known before newDocument runs, so a document may take it as its own.
    doc->setTitle(nextUntitledTitle());
    if (!doc->newDocument()) return nullptr;
    documents_.push_back(std::move(doc));
    return documents_.back().get();
}

Document* DocTemplate::openDocumentFile(const QString& path) {
    if (Document* open = findOpenDocument(path)) {
        if (View* v = open->firstView()) v->activate();
        return open;
    }
    if (!factory_) return nullptr;
    std::unique_ptr<Document> doc = factory_();
    if (!doc) return nullptr;
    doc->template_ = this;
    if (!doc->openDocument(path)) return nullptr;
    doc->setPathName(path);
    documents_.push_back(std::move(doc));
    return documents_.back().get();
}

Document* DocTemplate::adopt(std::unique_ptr<Document> doc) {
    if (!doc) return nullptr;
    doc->template_ = this;
    documents_.push_back(std::move(doc));
    return documents_.back().get();
}

Document* DocTemplate::findOpenDocument(const QString& path) const {
    const QString wanted = cleanPath(path);
    if (wanted.isEmpty()) return nullptr;
    for (const auto& d : documents_)
        if (cleanPath(d->pathName()) == wanted) return d.get();
    return nullptr;
}

bool DocTemplate::closeDocument(Document* doc) {
    if (!doc || !doc->canClose()) return false;
    removeDocument(doc);
    return true;
}

void DocTemplate::removeDocument(Document* doc) {
    auto it = std::find_if(documents_.begin(), documents_.end(),
                           [doc](const auto& d) { return d.get() == doc; });
    if (it != documents_.end()) documents_.erase(it);
}

void DocTemplate::closeAll() { documents_.clear(); }

}  // namespace platform
