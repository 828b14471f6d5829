#pragma once
// Lets open documents follow their files when the library renames or moves them: the
// library tells this observer, which finds the document through the document template.

#include "library/CRootList.h"

namespace platform {
class DocTemplate;
}

class CDocumentLibraryObserver : public CLibraryObserver {
public:
    // docs is not owned and must outlive the observer.
    explicit CDocumentLibraryObserver(platform::DocTemplate& docs) : m_docs(docs) {}

    void OnFileMoved(const QString& oldPath, const QString& newPath) override;
    void OnFileRenamed(const QString& oldPath, const QString& newPath, const QString& title) override;

private:
    platform::DocTemplate& m_docs;
};
