#include "platform/Prompter.h"

namespace platform {

namespace {

class SilentPrompter : public Prompter {
public:
    PromptAnswer ask(const QString&, PromptButtons buttons, PromptIcon) override {
        return safestAnswer(buttons);
    }
};

SilentPrompter g_silent;
Prompter* g_current = nullptr;

}  // namespace

PromptAnswer safestAnswer(PromptButtons buttons) {
    switch (buttons) {
    case PromptButtons::Ok: return PromptAnswer::Ok;
    case PromptButtons::OkCancel: return PromptAnswer::Cancel;
    case PromptButtons::YesNo: return PromptAnswer::No;
    case PromptButtons::YesNoCancel: return PromptAnswer::Cancel;
    }
    return PromptAnswer::Cancel;
}

Prompter& prompter() { return g_current ? *g_current : static_cast<Prompter&>(g_silent); }

void setPrompter(Prompter* p) { g_current = p; }

PromptAnswer ScriptedPrompter::ask(const QString& text, PromptButtons buttons, PromptIcon icon) {
    asked_.push_back({text, buttons, icon});
    if (answers_.empty()) return safestAnswer(buttons);
    const PromptAnswer a = answers_.front();
    answers_.pop_front();
    return a;
}

std::vector<QString> ScriptedPrompter::texts() const {
    std::vector<QString> out;
    out.reserve(asked_.size());
    for (const auto& q : asked_) out.push_back(q.text);
    return out;
}

ScopedPrompter::ScopedPrompter(Prompter* p) : previous_(g_current) { g_current = p; }
ScopedPrompter::~ScopedPrompter() { g_current = previous_; }

}  // namespace platform
