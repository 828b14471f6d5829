#pragma once
// What the outline reads from the user's preferences, as an interface: the application's
// preferences record implements it, tests fill in DefaultOutlinePreferences directly.
// The outline never keeps a value: it asks at the moment it needs one, so a change of
// preferences (or of user) takes effect at the next operation.

#include <cstdint>

#include <QString>

#include "platform/LogFont.h"

class OutlinePreferences {
public:
    virtual ~OutlinePreferences() = default;

    // The font (and its colour, red in the low byte) a new outline starts with.
    virtual platform::LogFont OutlineFont() const = 0;
    // The colour of window text, used as the colour of a new outline's font.
    virtual uint32_t WindowTextColor() const = 0;
    // "Auto-checking": a parent is checked exactly when all its children are.
    virtual bool AutoChecking() const = 0;
    // "Paste in a single node": pasted lines stay in one item.
    virtual bool PasteInSingleNode() const = 0;
    // The category chosen for new outlines; empty when the application has none, in
    // which case a new outline keeps the category it already has.
    virtual QString CurrentCategory() const = 0;
};

// Plain values, for tests and for outlines made before any preferences exist.
class DefaultOutlinePreferences : public OutlinePreferences {
public:
    DefaultOutlinePreferences() {
        font.height = -15;
        font.weight = 400;
        font.setFaceName(QStringLiteral("Calibri"));
    }

    platform::LogFont OutlineFont() const override { return font; }
    uint32_t WindowTextColor() const override { return windowTextColor; }
    bool AutoChecking() const override { return autoChecking; }
    bool PasteInSingleNode() const override { return pasteInSingleNode; }
    QString CurrentCategory() const override { return currentCategory; }

    platform::LogFont font;
    uint32_t windowTextColor = 0;
    bool autoChecking = false;
    bool pasteInSingleNode = false;
    QString currentCategory;
};
