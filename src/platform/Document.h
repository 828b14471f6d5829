#pragma once
// The document side of the document/view pair: title, path name, modified flag, views and
// update hints, and the new/open/save/close flow that concrete documents override.
// A document belongs to its DocTemplate once the template created or adopted it.

#include <vector>

#include <QString>

namespace platform {

class DocTemplate;
class View;

class Document {
public:
    Document();
    virtual ~Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    const QString& title() const { return title_; }
    virtual void setTitle(const QString& title);

    // The file the document was read from or last saved to; empty for a new document.
    const QString& pathName() const { return pathName_; }
    virtual void setPathName(const QString& path);

    bool isModified() const { return modified_; }
    virtual void setModified(bool modified);

    void addView(View* view);
    void removeView(View* view);
    const std::vector<View*>& views() const { return views_; }
    View* firstView() const { return views_.empty() ? nullptr : views_.front(); }
    // Calls onUpdate on every view except sender.
    void updateAllViews(View* sender, int hint = 0, void* object = nullptr);

    DocTemplate* docTemplate() const { return template_; }

    // The flow. Each returns false on failure and leaves the document usable.
    // Base behaviour: new clears the contents, the path and the modified flag; open and
    // save only record the path; canClose asks nothing.
    virtual bool newDocument();
    virtual bool openDocument(const QString& path);
    virtual bool saveDocument(const QString& path);
    virtual bool canClose();
    // Save or Save As without a file dialog: an empty path means the current path name.
    virtual bool saveTo(const QString& path, bool replace);

protected:
    // Drops the document's contents before it is refilled.
    virtual void deleteContents() {}

private:
    friend class DocTemplate;
    QString title_;
    QString pathName_;
    bool modified_ = false;
    std::vector<View*> views_;
    DocTemplate* template_ = nullptr;
};

}  // namespace platform
