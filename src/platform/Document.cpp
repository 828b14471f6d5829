#include "platform/Document.h"

#include <algorithm>

#include "platform/View.h"

namespace platform {

View::~View() {
    if (document_) document_->removeView(this);
}

Document::Document() = default;

Document::~Document() {
    for (View* v : views_) v->document_ = nullptr;
}

void Document::setTitle(const QString& title) { title_ = title; }

void Document::setPathName(const QString& path) { pathName_ = path; }

void Document::setModified(bool modified) { modified_ = modified; }

void Document::addView(View* view) {
    if (!view || std::find(views_.begin(), views_.end(), view) != views_.end()) return;
    if (view->document_) view->document_->removeView(view);
    views_.push_back(view);
    view->document_ = this;
}

void Document::removeView(View* view) {
    auto it = std::find(views_.begin(), views_.end(), view);
    if (it == views_.end()) return;
    views_.erase(it);
    view->document_ = nullptr;
}

void Document::updateAllViews(View* sender, int hint, void* object) {
    // A view may close itself in onUpdate; walk a copy.
    const std::vector<View*> views = views_;
    for (View* v : views)
        if (v != sender) v->onUpdate(sender, hint, object);
}

bool Document::newDocument() {
    deleteContents();
    pathName_.clear();
    modified_ = false;
    return true;
}

bool Document::openDocument(const QString& path) {
    deleteContents();
    modified_ = false;
    pathName_ = path;
    return true;
}

bool Document::saveDocument(const QString& path) {
    modified_ = false;
    pathName_ = path;
    return true;
}

bool Document::canClose() { return true; }

bool Document::saveTo(const QString& path, bool replace) {
    const QString target = path.isEmpty() ? pathName_ : path;
    if (target.isEmpty()) return false;
    if (!saveDocument(target)) return false;
    if (replace) pathName_ = target;
    return true;
}

}  // namespace platform
