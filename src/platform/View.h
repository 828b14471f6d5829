#pragma once
// A view of a document: the window side of the document/view pair. The document layer
// knows views only through this interface, so documents live and test without widgets.

namespace platform {

class Document;

class View {
public:
    virtual ~View();

    // The document this view shows; set by Document::addView, cleared by removeView.
    Document* document() const { return document_; }

    // Called by Document::updateAllViews for every view except the sender.
    virtual void onUpdate(View* sender, int hint, void* object) {
        (void)sender; (void)hint; (void)object;
    }
    // Asks the window that holds this view to come to the front.
    virtual void activate() {}

private:
    friend class Document;
    Document* document_ = nullptr;
};

}  // namespace platform
