#pragma once
// What an outline document needs from the application, in one place: the category list,
// the preferences the outline reads (the current category among them), the library roots,
// the data folder, which batch save is running, and the refreshes that follow a save.
// The application implements it on the UI thread; tests implement it directly.
// A host must outlive every document made with it.

#include <QString>

class CCategoryList;
class COrvelleDoc;
class CRootList;
class OutlinePreferences;

class CDocumentHost {
public:
    virtual ~CDocumentHost() = default;

    // The application's category list; null when there is none yet (then every category
    // reads as unknown and nothing is added).
    virtual CCategoryList* Categories() = 0;
    // The preferences every outline reads (font of a new outline, current category, ...);
    // null for the built-in defaults.
    virtual const OutlinePreferences* OutlinePrefs() = 0;
    // The library roots that saves refresh; null when no library is built.
    virtual CRootList* Roots() = 0;
    // The current user's data folder, read at the moment it is needed.
    virtual QString DataFolder() = 0;

    // While "Save All" runs, every save refreshes the file's library entry and closing
    // saves without asking; while the automatic save or a sync runs, closing saves
    // without asking.
    virtual bool IsSaveAllRunning() = 0;
    virtual bool IsAutoSaveRunning() = 0;
    virtual bool IsSyncRunning() = 0;

    // Refreshes the outline files list; selects selectPath when it is not empty.
    virtual void RefreshFileList(const QString& selectPath) = 0;
    // A save appended a category to the list: the category box (and every open document,
    // through ReplaceDocCategory) follows it.
    virtual void RefreshCategoryUI() = 0;
    // Closes doc's window and opens path in its place. doc may be destroyed inside this
    // call, so the document calls it last and touches nothing of itself afterwards.
    virtual void ReopenInPlace(COrvelleDoc* doc, const QString& path) = 0;
    // A document's file was written under path by the user's save: the recently used list.
    virtual void AddToRecentFiles(const QString& path) = 0;
    // Brackets a save that the user waits for.
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;
};
