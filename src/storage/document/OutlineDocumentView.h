#pragma once
// What the document asks of the outline view beyond the plain view interface. The view
// implements it; the document finds it on its first view with dynamic_cast, and a view
// without it is simply not asked.

class COutlineMan;

class OutlineDocumentView {
public:
    virtual ~OutlineDocumentView() = default;
    // Before a save (and when a document closes unchanged): put what the view keeps for
    // the file into the outline's header (selected row, check state, heading level).
    virtual void WriteSettingsToHeader(COutlineMan& outline) = 0;
    // The document's file changed under it: return to the initial view state and open the
    // outline again from the document's path. False when the file does not open.
    virtual bool ReloadDocument() = 0;
};
