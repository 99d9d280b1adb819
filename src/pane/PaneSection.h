#pragma once

#include <QString>

// The part of a load that fills one page for one kind of object. Its steps pass their errors
// over silently, each failed step having no effect.
class PaneSection {
public:
    virtual ~PaneSection() = default;
    // Empties the page's controls, so nothing of the object shown before can be written into
    // the one about to be shown.
    virtual void clear() = 0;
    virtual void load(const QString& strObjectID) = 0;
    // The id of the object the page shows, empty after a clear or a load that did not find it.
    virtual QString shownObjectID() const = 0;
};
