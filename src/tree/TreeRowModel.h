#pragma once

#include <QString>
#include <QtGlobal>

// The call-flow tree's rows: the keys of the grid's columns, the node types a row can carry. Every part that reads or writes tree
// rows uses these.
namespace TreeColumn {
inline const QString Main = QStringLiteral("Main");
inline const QString Conversation = QStringLiteral("Conversation");
inline const QString Action = QStringLiteral("Action");
inline const QString ObjectID = QStringLiteral("ObjectID");
inline const QString NodeType = QStringLiteral("NodeType");
inline const QString ChildAlias = QStringLiteral("ChildAlias");
} // namespace TreeColumn

namespace TreeNodeType {
constexpr qint16 Leaf = 0;
constexpr qint16 Subscriber = 1;
constexpr qint16 CallHandler = 3;
constexpr qint16 Interviewer = 5;
constexpr qint16 DirectoryHandler = 6;
constexpr qint16 InvalidLink = 97;
constexpr qint16 DuplicateHandler = 98;    // a call handler already on the path from the root
constexpr qint16 DuplicateSubscriber = 99; // a subscriber already on the path from the root
} // namespace TreeNodeType

// The Action cell of an invalid link.
constexpr qint16 kInvalidLinkAction = 99;
// Root and link rows are this high.
constexpr int kTreeRowHeightTwips = 270;
