#pragma once

#include "pane/PaneSection.h"
#include "pane/PropertyPane.h"

class DirectoryHandlerPage;
class SharedState;

// Shows a directory handler (node type 6) on the "Directory Handler" page: its names, extension
// and four exits. Leaves rsNameLookupHandler on the handler for the editors. It writes nothing.
class DirectoryHandlerSection : public PaneSection {
public:
    DirectoryHandlerSection(SharedState& state, PropertyPane& pane);

    void clear() override;
    void load(const QString& strObjectID) override;
    QString shownObjectID() const override { return m_shown; }

private:
    SharedState& m_state;
    PropertyPane& m_pane;
    DirectoryHandlerPage& m_page;
    QString m_shown;
    PropertyPane::SectionAttachment m_attachment;
};
