#pragma once

#include <QString>

// What the property pane offers the main window and the editors.
class PaneOperations {
public:
    virtual ~PaneOperations() = default;
    virtual void PopulateControls() = 0;
    virtual void LoadTabInfo(const QString& strObjectID, qint16 iObjectType) = 0;
};
