#pragma once

#include <QString>

// What the call-flow tree offers the main window and the editors.
class TreeOperations {
public:
    virtual ~TreeOperations() = default;
    virtual void AddNewNode(const QString& strHandlerObjectID, qint16 iNodeType) = 0;
    virtual void ExpandRow(qint16 iRow) = 0;
    virtual void PopulateRowInfo(qint16 iRow, qint16 iAction, const QString& strConversationName) = 0;
    virtual void UpdateRowText(qint16 iRow) = 0;
    virtual void UpdateAllInstancesOfOBjectInTree(const QString& strObjectID) = 0;
    virtual void RefreshAllRowText() = 0;
    virtual void RemoveChildren(qint16 iRow) = 0;
    virtual bool bIsAncestor(const QString& strObjectID, qint16 iRow) = 0;
};

// The object list of the grid view tab.
class ObjectListOperations {
public:
    virtual ~ObjectListOperations() = default;
    virtual void LoadGridView() = 0;
};
