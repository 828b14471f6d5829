#include "storage/document/DocumentLibraryObserver.h"

#include "platform/DocTemplate.h"
#include "storage/document/COrvelleDoc.h"

void CDocumentLibraryObserver::OnFileMoved(const QString& oldPath, const QString& newPath) {
    if (auto* doc = dynamic_cast<COrvelleDoc*>(m_docs.findOpenDocument(oldPath))) doc->FollowMovedFile(newPath);
}

void CDocumentLibraryObserver::OnFileRenamed(const QString& oldPath, const QString& newPath, const QString& title) {
    if (auto* doc = dynamic_cast<COrvelleDoc*>(m_docs.findOpenDocument(oldPath))) doc->TakeRenamedFile(title, newPath);
}
