#include "platform/DocTemplate.h"
#include "platform/Document.h"
#include "platform/Prompter.h"
#include "platform/View.h"

#include <gtest/gtest.h>

namespace {

using namespace platform;

struct FakeDoc : Document {
    bool failOpen = false;
    bool allowClose = true;
    bool openDocument(const QString& path) override {
        if (failOpen || path.contains("missing")) return false;
        return Document::openDocument(path);
    }
    bool canClose() override { return allowClose; }
};

struct CountingView : View {
    int activations = 0;
    std::vector<int> hints;
    void activate() override { ++activations; }
    void onUpdate(View*, int hint, void*) override { hints.push_back(hint); }
};

DocTemplate makeTemplate() {
    return DocTemplate("orv", "ort", "Untitled", [] { return std::make_unique<FakeDoc>(); });
}

TEST(DocTemplate, OpeningAnOpenPathActivatesTheExistingDocument) {
    DocTemplate t = makeTemplate();
    Document* first = t.openDocumentFile("/tmp/a/one.orv");
    ASSERT_NE(first, nullptr);
    CountingView view;
    first->addView(&view);
    Document* again = t.openDocumentFile("/tmp/a/../a/one.orv");
    EXPECT_EQ(again, first);
    EXPECT_EQ(t.documents().size(), 1u);
    EXPECT_EQ(view.activations, 1);
}

TEST(DocTemplate, FailedOpenKeepsNoDocument) {
    DocTemplate t = makeTemplate();
    EXPECT_EQ(t.openDocumentFile("/tmp/missing.orv"), nullptr);
    EXPECT_TRUE(t.documents().empty());
}

TEST(DocTemplate, UntitledDocumentsAreNumberedAndCloseOnlyWhenAllowed) {
    DocTemplate t = makeTemplate();
    Document* a = t.newDocument();
    Document* b = t.newDocument();
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->title(), "Untitled1");
    EXPECT_EQ(b->title(), "Untitled2");
    static_cast<FakeDoc*>(a)->allowClose = false;
    EXPECT_FALSE(t.closeDocument(a));
    EXPECT_TRUE(t.closeDocument(b));
    EXPECT_EQ(t.documents().size(), 1u);
}

TEST(Document, UpdateSkipsTheSenderAndViewsDetachOnDestruction) {
    FakeDoc doc;
    CountingView v1, v2;
    doc.addView(&v1);
    doc.addView(&v2);
    doc.updateAllViews(&v1, 4);
    EXPECT_TRUE(v1.hints.empty());
    EXPECT_EQ(v2.hints, std::vector<int>{4});
    {
        CountingView temp;
        doc.addView(&temp);
        EXPECT_EQ(doc.views().size(), 3u);
    }
    EXPECT_EQ(doc.views().size(), 2u);
}

TEST(Prompter, SilentAnswersAreTheSafestAndScriptsAreRecorded) {
    struct Row { PromptButtons buttons; PromptAnswer expected; };
    for (const Row& r : {Row{PromptButtons::Ok, PromptAnswer::Ok},
                         Row{PromptButtons::OkCancel, PromptAnswer::Cancel},
                         Row{PromptButtons::YesNo, PromptAnswer::No},
                         Row{PromptButtons::YesNoCancel, PromptAnswer::Cancel}})
        EXPECT_EQ(prompter().ask("q", r.buttons), r.expected);

    ScriptedPrompter script;
    script.push(PromptAnswer::Yes);
    {
        ScopedPrompter scope(&script);
        EXPECT_EQ(prompter().ask("Save changes to A?", PromptButtons::YesNoCancel), PromptAnswer::Yes);
        EXPECT_EQ(prompter().ask("Again?", PromptButtons::YesNo), PromptAnswer::No);
    }
    EXPECT_EQ(script.texts(), (std::vector<QString>{"Save changes to A?", "Again?"}));
    EXPECT_EQ(prompter().ask("after", PromptButtons::YesNo), PromptAnswer::No);
}

}  // namespace
