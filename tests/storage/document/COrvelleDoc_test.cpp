#include <gtest/gtest.h>

#include "app/config/SharedFlags.h"
#include "storage/document/DocumentTestSupport.h"
#include "model/UndoMan.h"
#include "storage/document/DocumentLibraryObserver.h"

namespace {

using namespace doctest;
using platform::PromptAnswer;
using platform::PromptButtons;

const QString kSaveFailedPrefix = QStringLiteral("The outline could not be saved to ");

// Types text at the start of the first item, as the view does for a keystroke, and marks
// the document modified as the view does after every step.
void Type(COrvelleDoc* doc, const QString& text) {
    COutlineMan& o = doc->GetOutline();
    o.BeginAction(kActionTyping, false);
    TextPos end;
    o.InsertText(o.GetFirstChild(nullptr), TextPos{0, 0}, text, &end);
    o.EndAction();
    o.AfterChange(true);
    doc->SetModified(true);
}

QString FirstItemText(const COrvelleDoc* doc) {
    const auto* n = doc->GetOutline().GetFirstChild(nullptr);
    return n ? n->item.text.GetText() : QString();
}

// --- new and open -------------------------------------------------------------------------

TEST(NewDocument, StartsAsAnUntitledUnfiledOutlineWithOneEmptyItem) {
    DocumentFixture f;
    COrvelleDoc* doc = f.NewDoc();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->GetDocTitle(), "Untitled1");
    EXPECT_EQ(doc->title(), "Untitled1");
    QString title, category;
    doc->GetOutline().GetTitle(title);
    doc->GetOutline().GetCategory(category);
    EXPECT_EQ(title, "Untitled1");
    EXPECT_EQ(category, "Unfiled");
    EXPECT_EQ(doc->GetOutline().GetDatabase()->GetDocUID().size(), 16);
    EXPECT_EQ(doc->GetOutline().GetCount(), 1);
    EXPECT_TRUE(doc->GetOutline().IsNew());
    EXPECT_FALSE(doc->isModified());
    EXPECT_FALSE(doc->IsTemplate());
    EXPECT_FALSE(doc->IsConflict());
    EXPECT_TRUE(doc->pathName().isEmpty());
    // The title field is taken once; a later default title does not replace it.
    doc->SetDocTitle("Other");
    EXPECT_EQ(doc->GetDocTitle(), "Untitled1");
    EXPECT_EQ(f.NewDoc()->GetDocTitle(), "Untitled2");
}

TEST(OpenDocument, OpeningAnOpenFileActivatesItsWindowAndMakesNoSecondDocument) {
    DocumentFixture f;
    COrvelleDoc* first = f.OpenNewFile("Groceries.orv", "Groceries");
    ASSERT_NE(first, nullptr);
    RecordingView view;
    first->addView(&view);

    EXPECT_EQ(f.OpenDoc(f.dataFolder + "/./Groceries.orv"), first);
    EXPECT_EQ(f.docs.documents().size(), 1u);
    EXPECT_EQ(view.activations, 1);

    // A document made by hand and handed to the template is refused the same file too.
    auto* second = static_cast<COrvelleDoc*>(f.docs.adopt(std::make_unique<COrvelleDoc>(f.host)));
    EXPECT_FALSE(second->OpenDocument(f.Path("Groceries.orv")));
    EXPECT_EQ(view.activations, 2);
    EXPECT_TRUE(second->pathName().isEmpty());
}

TEST(OpenDocument, TakesTitleAndKindFromTheFile) {
    struct Case {
        const char* name;
        const char* file;
        bool isTemplate;
        bool isConflict;
    };
    const Case cases[] = {
        {"outline", "Plan.orv", false, false},
        {"template", "Plan.ort", true, false},
        {"template, upper-case extension", "Plan.ORT", true, false},
        {"outline in Conflicts", "Conflicts/Plan.orv", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DocumentFixture f;
        COrvelleDoc* doc = f.OpenNewFile(c.file, "Summer plan");
        ASSERT_NE(doc, nullptr);
        EXPECT_EQ(doc->IsTemplate(), c.isTemplate);
        EXPECT_EQ(doc->IsConflict(), c.isConflict);
        EXPECT_EQ(doc->GetDocTitle(), "Summer plan");
        EXPECT_EQ(doc->title(), "Summer plan");
        EXPECT_FALSE(doc->isModified());
        EXPECT_FALSE(doc->GetOutline().IsNew());
        EXPECT_EQ(FirstItemText(doc), "First");
    }
}

TEST(OpenDocument, AFileThatDoesNotLoadLeavesNoDocument) {
    DocumentFixture f;
    ASSERT_TRUE(WriteFile(f.Path("Broken.orv"), "<OrvelleDoc><Header>"));
    EXPECT_EQ(f.OpenDoc(f.Path("Broken.orv")), nullptr);
    EXPECT_EQ(f.OpenDoc(f.Path("Missing.orv")), nullptr);
    EXPECT_TRUE(f.docs.documents().empty());
}

// --- modified flag ------------------------------------------------------------------------

TEST(ModifiedFlag, FollowsTheOutlineExceptForAConflictsDocument) {
    DocumentFixture f;
    COrvelleDoc* plain = f.OpenNewFile("Plan.orv", "Plan");
    COrvelleDoc* conflict = f.OpenNewFile("Conflicts/Plan.orv", "Plan");
    ASSERT_TRUE(plain && conflict);

    plain->GetOutline().OnModified(true);
    EXPECT_TRUE(plain->isModified());
    plain->GetOutline().OnModified(false);
    EXPECT_FALSE(plain->isModified());

    Type(conflict, "edit ");
    conflict->GetOutline().OnModified(true);
    EXPECT_FALSE(conflict->isModified());
    const QByteArray before = ReadFile(f.Path("Conflicts/Plan.orv"));
    EXPECT_TRUE(conflict->CanClose());
    EXPECT_TRUE(f.prompts.asked().empty()) << "a Conflicts document never asks to be saved";
    EXPECT_EQ(ReadFile(f.Path("Conflicts/Plan.orv")), before);
}

// --- saving a new outline -----------------------------------------------------------------

TEST(SaveWithTitle, ANewOutlineGetsAFreeFileNameFromItsTitleInTheDataFolder) {
    DocumentFixture f;
    f.host.prefs.currentCategory = "Work";
    f.host.categories.Add(GenerateUID(), "Work");

    COrvelleDoc* first = f.NewDoc();
    ASSERT_TRUE(first->ChangeTitle("Shop/ping list"));
    const QString initialUID = first->GetOutline().GetDatabase()->GetDocUID();
    Type(first, "Milk");
    ASSERT_TRUE(first->SaveWithTitle());

    const QString path = f.Path("Shopping list.orv");
    EXPECT_EQ(first->pathName(), path);
    EXPECT_FALSE(first->isModified());
    EXPECT_FALSE(first->GetOutline().IsNew());
    const Header h = ReadHeader(path);
    ASSERT_TRUE(h.read);
    EXPECT_EQ(h.title, "Shop/ping list");
    EXPECT_EQ(h.category, "Work");
    EXPECT_EQ(h.modified, 1);
    EXPECT_EQ(h.uid.size(), 16);
    EXPECT_NE(h.uid, initialUID) << "the first save gives the outline its identity";
    EXPECT_EQ(h.items, QStringList{"Milk"});
    EXPECT_NE(f.host.roots.FindFile(path), nullptr) << "the library lists the new file";
    EXPECT_EQ(f.host.listRefreshes, QStringList{path});
    EXPECT_EQ(f.host.recent, QStringList{path});

    // The same title again: the name is taken, so the next one is numbered.
    COrvelleDoc* second = f.NewDoc();
    second->ChangeTitle("Shop/ping list");
    ASSERT_TRUE(second->SaveWithTitle());
    EXPECT_EQ(second->pathName(), f.Path("Shopping li-1.orv"));
    EXPECT_EQ(ReadHeader(path).items, QStringList{"Milk"}) << "the first file is untouched";
    EXPECT_NE(ReadHeader(second->pathName()).uid, h.uid);
}

TEST(SaveWithTitle, TheNewFileFolderTakesPrecedenceOverTheDataFolder) {
    DocumentFixture f;
    COrvelleDoc* doc = f.NewDoc();
    doc->ChangeTitle("a/b");
    const QString folder = f.home.path() + "/elsewhere";
    doc->SetNewFileFolder(folder);
    ASSERT_TRUE(doc->SaveWithTitle());
    EXPECT_EQ(doc->pathName(), folder + "/ab.orv");

    COrvelleDoc* plain = f.NewDoc();
    plain->ChangeTitle("a/b");
    ASSERT_TRUE(plain->SaveWithTitle());
    EXPECT_EQ(plain->pathName(), f.Path("ab.orv"));
}

TEST(SaveWithTitle, ASavedOutlineKeepsItsFileNameWhenItsTitleChanges) {
    DocumentFixture f;
    COrvelleDoc* doc = f.OpenNewFile("Groceries.orv", "Groceries", "Unfiled", "00010AFF10203040");
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(doc->ChangeTitle("Hardware store"));
    EXPECT_TRUE(doc->isModified());
    EXPECT_EQ(doc->title(), "Hardware store");
    f.prompts.push(PromptAnswer::Yes);
    ASSERT_TRUE(doc->CanClose());

    EXPECT_EQ(doc->pathName(), f.Path("Groceries.orv"));
    const Header h = ReadHeader(f.Path("Groceries.orv"));
    EXPECT_EQ(h.title, "Hardware store");
    EXPECT_EQ(h.uid, "00010AFF10203040") << "a saved outline keeps its identity";
    EXPECT_EQ(FolderEntries(f.dataFolder), QStringList{"Groceries.orv"});
    EXPECT_EQ(f.host.roots.FindFile(f.Path("Groceries.orv"))->GetTitle(), "Hardware store");
}

TEST(SaveWithTitle, AnUnknownCategoryIsAddedToTheListOnceExceptForTemplates) {
    DocumentFixture f;
    COrvelleDoc* outline = f.OpenNewFile("Beds.orv", "Beds", "Garden");
    COrvelleDoc* templ = f.OpenNewFile("Trip.ort", "Trip", "Travel");
    ASSERT_TRUE(outline && templ);

    Type(outline, "Roses");
    ASSERT_TRUE(outline->SaveWithTitle());
    ASSERT_NE(f.host.categories.FindByName("Garden"), nullptr);
    EXPECT_EQ(f.host.categoryRefreshes, 1);
    Type(outline, "Tulips");
    ASSERT_TRUE(outline->SaveWithTitle());
    EXPECT_EQ(f.host.categories.GetCount(), 2);
    EXPECT_EQ(f.host.categoryRefreshes, 1);

    // (The library lists a template's category when it reads the saved file; the document
    // itself adds none for a template.)
    Type(templ, "Passport");
    ASSERT_TRUE(templ->SaveWithTitle());
    EXPECT_EQ(f.host.categoryRefreshes, 1);
}

TEST(SaveWithTitle, TheListIsNotRefreshedWhileTheSyncHoldsRefreshesBack) {
    DocumentFixture f;
    COrvelleDoc* doc = f.NewDoc();
    config::NoListRefreshScope noRefresh;
    ASSERT_TRUE(doc->SaveWithTitle());
    EXPECT_TRUE(f.host.listRefreshes.isEmpty());
    EXPECT_NE(f.host.roots.FindFile(doc->pathName()), nullptr) << "the library entry is still brought up to date";
}

TEST(SaveDocument, TheViewPutsItsSettingsIntoTheHeaderBeforeEverySave) {
    DocumentFixture f;
    COrvelleDoc* doc = f.OpenNewFile("Plan.orv", "Plan");
    RecordingView view;
    view.selectedRow = 7;
    doc->addView(&view);
    ASSERT_TRUE(doc->SaveDocument(doc->pathName()));
    EXPECT_EQ(view.settingsWritten, 1);
    COutlineDatabase db;
    ASSERT_EQ(db.Open(f.Path("Plan.orv"), 0), 1);
    EXPECT_EQ(db.GetSelectedIndex(), 7);
    // Closing unchanged keeps the view's settings in the header, asking nothing.
    EXPECT_TRUE(doc->CanClose());
    EXPECT_EQ(view.settingsWritten, 2);
    EXPECT_TRUE(f.prompts.asked().empty());
}

// --- closing ------------------------------------------------------------------------------

TEST(CanClose, AsksAboutAModifiedDocumentAndDoesWhatTheAnswerSays) {
    struct Case {
        const char* name;
        PromptAnswer answer;
        bool closes;
        bool written;
    };
    const Case cases[] = {
        {"Yes saves and closes", PromptAnswer::Yes, true, true},
        {"No closes without saving", PromptAnswer::No, true, false},
        {"Cancel keeps the window", PromptAnswer::Cancel, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DocumentFixture f;
        COrvelleDoc* doc = f.OpenNewFile("Groceries.orv", "Groceries");
        ASSERT_NE(doc, nullptr);
        const QByteArray before = ReadFile(f.Path("Groceries.orv"));
        Type(doc, "Eggs ");
        f.prompts.push(c.answer);
        EXPECT_EQ(doc->CanClose(), c.closes);
        ASSERT_EQ(f.prompts.asked().size(), 1u);
        EXPECT_EQ(f.prompts.asked()[0].text, "Save changes to Groceries?");
        EXPECT_EQ(f.prompts.asked()[0].buttons, PromptButtons::YesNoCancel);
        if (c.written) EXPECT_EQ(ReadHeader(f.Path("Groceries.orv")).items, QStringList{"Eggs First"});
        else EXPECT_EQ(ReadFile(f.Path("Groceries.orv")), before);
        EXPECT_EQ(doc->isModified(), !c.written);
    }
}

TEST(CanClose, ABatchSaveSavesModifiedDocumentsWithoutAsking) {
    struct Case {
        const char* name;
        void (*start)(FakeHost&);
    };
    const Case cases[] = {
        {"Save All", [](FakeHost& h) { h.saveAll = true; }},
        {"automatic save", [](FakeHost& h) { h.autoSave = true; }},
        {"sync", [](FakeHost& h) { h.sync = true; }},
        {"silent save flag", [](FakeHost&) { config::SetSilentSave(true); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DocumentFixture f;
        COrvelleDoc* saved = f.OpenNewFile("Groceries.orv", "Groceries");
        COrvelleDoc* untitled = f.NewDoc();
        ASSERT_TRUE(saved && untitled);
        // An outline whose title was emptied still gets a file name.
        untitled->TakeRenamedFile(QString(), QString());
        Type(saved, "Eggs ");
        Type(untitled, "Draft");
        c.start(f.host);
        EXPECT_TRUE(saved->CanClose());
        EXPECT_TRUE(untitled->CanClose());
        config::SetSilentSave(false);

        EXPECT_TRUE(f.prompts.asked().empty());
        EXPECT_EQ(ReadHeader(f.Path("Groceries.orv")).items, QStringList{"Eggs First"});
        EXPECT_EQ(untitled->pathName(), f.Path("Untitled.orv"));
        EXPECT_EQ(ReadHeader(f.Path("Untitled.orv")).title, "Untitled");
        EXPECT_NE(f.host.roots.FindFile(f.Path("Untitled.orv")), nullptr);
        EXPECT_FALSE(saved->isModified() || untitled->isModified());
    }
}

TEST(CanClose, AFailedSaveKeepsTheDocumentOpenWithItsChanges) {
    DocumentFixture f;
    // A new outline whose folder cannot be made: a file stands where a folder should be.
    ASSERT_TRUE(WriteFile(f.home.path() + "/blocked", "x"));
    COrvelleDoc* doc = f.NewDoc();
    doc->SetNewFileFolder(f.home.path() + "/blocked/sub");
    Type(doc, "Important");

    f.prompts.push(PromptAnswer::Yes);
    EXPECT_FALSE(doc->CanClose());
    EXPECT_TRUE(doc->isModified());
    EXPECT_TRUE(doc->GetOutline().IsNew());
    EXPECT_TRUE(doc->pathName().isEmpty());
    ASSERT_EQ(f.prompts.asked().size(), 2u);
    EXPECT_TRUE(f.prompts.asked()[1].text.startsWith(kSaveFailedPrefix)) << f.prompts.asked()[1].text.toStdString();
    EXPECT_EQ(f.docs.closeDocument(doc), false);
    EXPECT_EQ(f.docs.documents().size(), 1u);

    // In a batch there is nobody to ask, and the answer is still "stop".
    f.host.saveAll = true;
    EXPECT_FALSE(doc->CanClose());
    EXPECT_TRUE(doc->isModified());
    EXPECT_EQ(FirstItemText(doc), "Important");
}

TEST(CanClose, AFailedSaveOverAnExistingFileLeavesItWhole) {
    DocumentFixture f;
    COrvelleDoc* doc = f.OpenNewFile("Groceries.orv", "Groceries", "Unfiled", "00010AFF10203040", LargeItems());
    ASSERT_NE(doc, nullptr);
    const QByteArray before = ReadFile(f.Path("Groceries.orv"));
    Type(doc, "Eggs ");
    bool closes = true;
    {
        FileSizeLimit full(64);  // as on a full disk
        f.prompts.push(PromptAnswer::Yes);
        closes = doc->CanClose();
    }
    EXPECT_FALSE(closes);
    EXPECT_TRUE(doc->isModified());
    EXPECT_EQ(ReadFile(f.Path("Groceries.orv")), before);
    EXPECT_EQ(FolderEntries(f.dataFolder), QStringList{"Groceries.orv"}) << "no partial file is left";
    // Once there is room again the same answer saves.
    f.prompts.push(PromptAnswer::Yes);
    EXPECT_TRUE(doc->CanClose());
    EXPECT_EQ(ReadHeader(f.Path("Groceries.orv")).items.value(0), "Eggs First");
}

// --- the filing cabinet -------------------------------------------------------------------

TEST(FilingCabinet, IsSavedOnCloseWithoutAskingAndKeepsItsHiddenFile) {
    DocumentFixture f;
    const QString cabinetPath = f.Path(".FilingCabinet.xml");
    COrvelleDoc* cabinet = f.NewDoc();
    RecordingView view;
    cabinet->addView(&view);
    cabinet->SetFilingCabinet(true);
    cabinet->setPathName(cabinetPath);
    ASSERT_TRUE(cabinet->SaveTo(cabinetPath, true));
    EXPECT_EQ(cabinet->title(), "Filing Cabinet");
    cabinet->SetDocTitle("Untitled3");
    EXPECT_EQ(cabinet->GetDocTitle(), "Filing Cabinet");
    EXPECT_FALSE(cabinet->ChangeTitle("Mine"));

    Type(cabinet, "Kept item");
    EXPECT_TRUE(cabinet->CanClose());
    EXPECT_TRUE(f.prompts.asked().empty());
    EXPECT_FALSE(cabinet->isModified());
    EXPECT_EQ(cabinet->pathName(), cabinetPath);
    EXPECT_EQ(FolderEntries(f.dataFolder), QStringList{".FilingCabinet.xml"});
    const Header h = ReadHeader(cabinetPath);
    EXPECT_EQ(h.title, "Filing Cabinet");
    EXPECT_EQ(h.items, QStringList{"Kept item"});
    EXPECT_EQ(view.settingsWritten, 0) << "the cabinet keeps no view settings";
    EXPECT_TRUE(f.host.recent.isEmpty()) << "the cabinet is not a recently used file";
    EXPECT_TRUE(f.host.listRefreshes.isEmpty());

    // Save All only writes it.
    Type(cabinet, "More ");
    f.host.saveAll = true;
    EXPECT_TRUE(cabinet->CanClose());
    EXPECT_EQ(ReadHeader(cabinetPath).items, QStringList{"More Kept item"});
    EXPECT_EQ(FolderEntries(f.dataFolder), QStringList{".FilingCabinet.xml"});
}

TEST(FilingCabinet, ACabinetThatCannotBeWrittenDoesNotClose) {
    DocumentFixture f;
    const QString cabinetPath = f.Path(".FilingCabinet.xml");
    COrvelleDoc* cabinet = f.NewDoc();
    cabinet->SetFilingCabinet(true);
    ASSERT_TRUE(cabinet->SaveTo(cabinetPath, true));
    const QByteArray before = ReadFile(cabinetPath);
    Type(cabinet, LargeItems().join(' '));
    bool closes = true;
    {
        FileSizeLimit full(64);
        closes = cabinet->CanClose();
    }
    EXPECT_FALSE(closes);
    EXPECT_TRUE(cabinet->isModified());
    EXPECT_EQ(ReadFile(cabinetPath), before);
}

// --- saving without a dialog --------------------------------------------------------------

TEST(SaveTo, ADocumentWithoutAFileIsNamedAfterItsWindowTitleAndNeverOverwrites) {
    DocumentFixture f;
    ASSERT_TRUE(WriteFile(f.Path("Plan.orv"), OutlineXml("Other plan", "Unfiled", "0001000000000001")));
    const QByteArray other = ReadFile(f.Path("Plan.orv"));
    COrvelleDoc* doc = f.NewDoc();
    doc->ChangeTitle("Plan: summer");
    Type(doc, "Beach");
    ASSERT_TRUE(doc->SaveTo(QString(), true));
    EXPECT_EQ(doc->pathName(), f.Path("Pl-1.orv"));
    EXPECT_EQ(ReadFile(f.Path("Plan.orv")), other);
    EXPECT_EQ(ReadHeader(f.Path("Pl-1.orv")).items, QStringList{"Beach"});
    EXPECT_NE(f.host.roots.FindFile(f.Path("Pl-1.orv")), nullptr);
    EXPECT_EQ(f.host.listRefreshes, QStringList{f.Path("Pl-1.orv")});
    EXPECT_EQ(f.host.waitCursors, 1);
    EXPECT_EQ(f.host.waitDepth, 0);

    // Without replace there is nowhere to save a document that has no file.
    COrvelleDoc* fresh = f.NewDoc();
    EXPECT_FALSE(fresh->SaveTo(QString(), false));
}

TEST(SaveTo, AFailedSaveDeletesNothingThatWasThereAndReportsFailure) {
    DocumentFixture f;
    COrvelleDoc* doc = f.OpenNewFile("Groceries.orv", "Groceries", "Unfiled", "00010AFF10203040", LargeItems());
    ASSERT_NE(doc, nullptr);
    const QByteArray before = ReadFile(f.Path("Groceries.orv"));
    Type(doc, "Eggs ");
    bool saved = true;
    {
        FileSizeLimit full(64);
        saved = doc->SaveTo(QString(), true);
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadFile(f.Path("Groceries.orv")), before) << "the old file stays as it was";
    EXPECT_EQ(FolderEntries(f.dataFolder), QStringList{"Groceries.orv"});
    EXPECT_TRUE(doc->isModified());
    EXPECT_EQ(doc->pathName(), f.Path("Groceries.orv"));
    ASSERT_EQ(f.prompts.asked().size(), 1u);
    EXPECT_TRUE(f.prompts.asked()[0].text.startsWith(kSaveFailedPrefix));
    EXPECT_EQ(f.host.waitDepth, 0);
}

TEST(SaveTo, AnExplicitPathIsWrittenAndBecomesThePathOnlyWithReplace) {
    DocumentFixture f;
    COrvelleDoc* doc = f.OpenNewFile("Groceries.orv", "Groceries");
    ASSERT_TRUE(doc->SaveTo(f.Path("Copy.orv"), false));
    EXPECT_TRUE(ReadHeader(f.Path("Copy.orv")).read);
    EXPECT_EQ(doc->pathName(), f.Path("Groceries.orv")) << "a copy leaves the document with its own file";
    ASSERT_TRUE(doc->SaveTo(f.Path("Moved.orv"), true));
    EXPECT_EQ(doc->pathName(), f.Path("Moved.orv"));
}

// --- categories ---------------------------------------------------------------------------

TEST(ReplaceDocCategory, FollowsARenamedOrRemovedCategory) {
    struct Case {
        const char* name;
        const char* category;   // the document's
        const char* oldName;
        const char* newName;
        bool listNew;
        bool modifiedBefore;
        const char* expected;
        bool marked;            // the document was marked modified
        bool savedAtOnce;
    };
    const Case cases[] = {
        {"renamed, unmodified: saved at once", "Garden", "Garden", "Yard", true, false, "Yard", true, true},
        {"renamed, modified: left for the user", "Garden", "Garden", "Yard", true, true, "Yard", true, false},
        {"renamed to a name not listed", "Garden", "Garden", "Yard", false, false, "Unfiled", true, true},
        {"other category, listed: kept", "Work", "Garden", "Yard", true, false, "Work", false, false},
        {"other category, not listed: Unfiled", "Lost", "Garden", "Yard", true, false, "Unfiled", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DocumentFixture f;
        f.host.categories.Add(GenerateUID(), "Work");
        if (c.listNew) f.host.categories.Add(GenerateUID(), c.newName);
        COrvelleDoc* doc = f.OpenNewFile("Beds.orv", "Beds", c.category);
        ASSERT_NE(doc, nullptr);
        RecordingView view;
        doc->addView(&view);
        if (c.modifiedBefore) Type(doc, "x");

        doc->ReplaceDocCategory(c.oldName, c.newName);
        QString category;
        doc->GetOutline().GetCategory(category);
        EXPECT_EQ(category, c.expected);
        EXPECT_EQ(ReadHeader(f.Path("Beds.orv")).category, c.savedAtOnce ? c.expected : c.category);
        EXPECT_EQ(doc->isModified(), c.marked && !c.savedAtOnce);
    }
}

TEST(ReplaceDocCategory, LeavesADocumentWithoutAViewAndTheCabinetAlone) {
    DocumentFixture f;
    COrvelleDoc* doc = f.OpenNewFile("Beds.orv", "Beds", "Garden");
    doc->ReplaceDocCategory("Garden", "Yard");
    QString category;
    doc->GetOutline().GetCategory(category);
    EXPECT_EQ(category, "Garden");
    EXPECT_FALSE(doc->isModified());
}

// --- Save As Template ---------------------------------------------------------------------

TEST(SaveAsTemplate, WritesANewTemplateAndReopensItInPlace) {
    DocumentFixture f;
    f.host.prefs.currentCategory = "Work";
    COrvelleDoc* doc = f.OpenNewFile("Groceries.orv", "Groceries", "Home", "00010AFF10203040");
    ASSERT_NE(doc, nullptr);
    const QByteArray outline = ReadFile(f.Path("Groceries.orv"));
    ASSERT_TRUE(doc->SaveAsTemplate());

    const QString templ = f.Path("Groceries.ort");
    const Header h = ReadHeader(templ);
    ASSERT_TRUE(h.read);
    EXPECT_EQ(h.title, "Groceries");
    EXPECT_EQ(h.category, "Work");
    EXPECT_NE(h.uid, "00010AFF10203040") << "a template is a document of its own";
    EXPECT_EQ(ReadFile(f.Path("Groceries.orv")), outline);
    EXPECT_TRUE(f.prompts.asked().empty());
    EXPECT_EQ(f.host.listRefreshes, QStringList{templ});
    ASSERT_EQ(f.host.reopened.size(), 1u);
    EXPECT_EQ(f.host.reopened[0].first, doc);
    EXPECT_EQ(f.host.reopened[0].second, templ);
    EXPECT_NE(f.host.roots.FindFile(templ), nullptr);
}

TEST(SaveAsTemplate, AskesBeforeReplacingATemplateOfTheSameName) {
    for (PromptAnswer answer : {PromptAnswer::No, PromptAnswer::Yes}) {
        SCOPED_TRACE(answer == PromptAnswer::Yes ? "Yes" : "No");
        DocumentFixture f;
        ASSERT_TRUE(WriteFile(f.Path("Groceries.ort"), OutlineXml("Old groceries", "Unfiled", "0001000000000009")));
        const QByteArray oldTemplate = ReadFile(f.Path("Groceries.ort"));
        COrvelleDoc* doc = f.OpenNewFile("Groceries.orv", "Groceries");
        ASSERT_NE(doc, nullptr);
        Type(doc, "Eggs ");
        f.prompts.push(answer);

        EXPECT_EQ(doc->SaveAsTemplate(), answer == PromptAnswer::Yes);
        ASSERT_EQ(f.prompts.asked().size(), 1u);
        EXPECT_EQ(f.prompts.asked()[0].text,
                  "The file name Groceries.ort already exists. Overwrite the other file?");
        EXPECT_EQ(f.prompts.asked()[0].buttons, PromptButtons::YesNo);
        if (answer == PromptAnswer::No) {
            EXPECT_EQ(ReadFile(f.Path("Groceries.ort")), oldTemplate);
            EXPECT_EQ(FolderEntries(f.dataFolder), (QStringList{"Groceries.ort", "Groceries.orv"}));
            EXPECT_FALSE(doc->IsTemplate());
            EXPECT_EQ(doc->pathName(), f.Path("Groceries.orv"));
            EXPECT_TRUE(doc->isModified());
            EXPECT_TRUE(f.host.reopened.empty());
        } else {
            EXPECT_EQ(ReadHeader(f.Path("Groceries.ort")).items, QStringList{"Eggs First"});
            EXPECT_EQ(f.host.reopened.size(), 1u);
        }
    }
}

TEST(SaveAsTemplate, ATemplateOpenInAWindowIsNeverReplaced) {
    DocumentFixture f;
    COrvelleDoc* open = f.OpenNewFile("Groceries.ort", "Groceries");
    COrvelleDoc* doc = f.OpenNewFile("Groceries.orv", "Groceries");
    ASSERT_TRUE(open && doc);
    const QByteArray before = ReadFile(f.Path("Groceries.ort"));
    ASSERT_TRUE(doc->SaveAsTemplate());
    EXPECT_TRUE(f.prompts.asked().empty());
    EXPECT_EQ(ReadFile(f.Path("Groceries.ort")), before);
    EXPECT_EQ(doc->pathName(), f.Path("Groceri-1.ort"));

    // A template saved as a template again gets a numbered name as well.
    ASSERT_TRUE(open->SaveAsTemplate());
    EXPECT_EQ(open->pathName(), f.Path("Groceri-2.ort"));
}

TEST(SaveAsTemplate, ANewOutlineBecomesATemplateInTheDataFolder) {
    DocumentFixture f;
    COrvelleDoc* doc = f.NewDoc();
    doc->ChangeTitle("Packing: list");
    ASSERT_TRUE(doc->SaveAsTemplate());
    EXPECT_EQ(doc->pathName(), f.Path("Packing list.ort"));
    EXPECT_TRUE(doc->IsTemplate());
    EXPECT_TRUE(ReadHeader(f.Path("Packing list.ort")).read);
}

TEST(SaveAsTemplate, AFailedWriteLeavesTheDocumentAsItWas) {
    DocumentFixture f;
    COrvelleDoc* doc = f.OpenNewFile("Groceries.orv", "Groceries", "Home", "00010AFF10203040", LargeItems());
    ASSERT_NE(doc, nullptr);
    Type(doc, "Eggs ");
    bool saved = true;
    {
        FileSizeLimit full(64);
        saved = doc->SaveAsTemplate();
    }
    EXPECT_FALSE(saved);
    EXPECT_FALSE(FileExists(f.Path("Groceries.ort")));
    EXPECT_FALSE(doc->IsTemplate());
    EXPECT_FALSE(doc->GetOutline().IsNew());
    EXPECT_TRUE(f.host.reopened.empty());
    // The document's own next save keeps its identity and category.
    ASSERT_TRUE(doc->SaveWithTitle());
    const Header h = ReadHeader(f.Path("Groceries.orv"));
    EXPECT_EQ(h.uid, "00010AFF10203040");
    EXPECT_EQ(h.category, "Home");
    EXPECT_EQ(h.items.value(0), "Eggs First");
}

// --- following the library ----------------------------------------------------------------

TEST(LibraryObserver, OpenDocumentsFollowRenamedAndMovedFiles) {
    DocumentFixture f;
    CDocumentLibraryObserver observer(f.docs);
    f.host.roots.SetObserver(&observer);

    COrvelleDoc* renamed = f.OpenNewFile("Groceries.orv", "Groceries");
    ASSERT_NE(renamed, nullptr);
    f.host.roots.UpdateFile(f.Path("Groceries.orv"));
    CTreeData* info = f.host.roots.FindFile(f.Path("Groceries.orv"));
    ASSERT_NE(info, nullptr);
    ASSERT_TRUE(f.host.roots.RenameFile(info, f.host.roots.FindRoot(kRootOutlines), "Market"));
    EXPECT_EQ(renamed->pathName(), f.Path("Market.orv"));
    EXPECT_EQ(renamed->GetDocTitle(), "Market");
    EXPECT_EQ(renamed->title(), "Market");

    // An unchanged document is read again from where the file went.
    RecordingView view;
    renamed->addView(&view);
    QString target = f.Path("Market.ort");
    ASSERT_TRUE(f.host.roots.MoveToRoot(f.Path("Market.orv"), target));
    EXPECT_EQ(renamed->pathName(), target);
    EXPECT_TRUE(renamed->IsTemplate());
    EXPECT_EQ(view.reloads, 1);
    EXPECT_EQ(renamed->GetOutline().GetDatabase()->GetDocUID(), ReadHeader(target).uid);

    // A changed one keeps its changes and saves them under the moved file's identity.
    COrvelleDoc* changed = f.OpenNewFile("Beds.orv", "Beds");
    Type(changed, "Roses ");
    QString moved = f.Path("Beds.ort");
    ASSERT_TRUE(f.host.roots.MoveToRoot(f.Path("Beds.orv"), moved));
    EXPECT_EQ(changed->pathName(), moved);
    EXPECT_EQ(FirstItemText(changed), "Roses First");
    const QString movedUID = ReadHeader(moved).uid;
    ASSERT_TRUE(changed->SaveWithTitle());
    EXPECT_EQ(ReadHeader(moved).uid, movedUID);
    EXPECT_FALSE(FileExists(f.Path("Beds.orv")));
}

}  // namespace
