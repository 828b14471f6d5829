#pragma once
// Questions and messages the user must answer. Everything below the widgets asks through
// this interface, so the window shows a message box and a test answers from a script.

#include <deque>
#include <vector>

#include <QString>

namespace platform {

enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class PromptIcon { None, Information, Warning, Question, Error };
enum class PromptAnswer { Ok, Cancel, Yes, No };

class Prompter {
public:
    virtual ~Prompter() = default;
    // Shows text with the given buttons and waits for the answer.
    virtual PromptAnswer ask(const QString& text, PromptButtons buttons,
                             PromptIcon icon = PromptIcon::None) = 0;
};

// The prompter in use. Until one is installed, a silent one answers every question with
// its safest answer (Cancel when offered, else No, else Ok), so headless runs never hang
// and never agree to overwrite or discard anything.
Prompter& prompter();
// Installs p (not owned; must outlive its use); nullptr restores the silent one.
void setPrompter(Prompter* p);

// The safest answer a set of buttons offers.
PromptAnswer safestAnswer(PromptButtons buttons);

// Answers from a queue and keeps every text it was asked, for tests.
class ScriptedPrompter : public Prompter {
public:
    struct Question {
        QString text;
        PromptButtons buttons;
        PromptIcon icon;
    };

    void push(PromptAnswer answer) { answers_.push_back(answer); }
    PromptAnswer ask(const QString& text, PromptButtons buttons, PromptIcon icon) override;
    const std::vector<Question>& asked() const { return asked_; }
    std::vector<QString> texts() const;
    void clear() { asked_.clear(); answers_.clear(); }

private:
    std::deque<PromptAnswer> answers_;
    std::vector<Question> asked_;
};

// Installs a prompter for the lifetime of the object and restores the previous one.
class ScopedPrompter {
public:
    explicit ScopedPrompter(Prompter* p);
    ~ScopedPrompter();
    ScopedPrompter(const ScopedPrompter&) = delete;
    ScopedPrompter& operator=(const ScopedPrompter&) = delete;

private:
    Prompter* previous_;
};

}  // namespace platform
