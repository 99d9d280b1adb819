#pragma once

#include <QString>
#include <QtGlobal>

// What a stored link (action code, conversation name) is: a fixed action, or a way to another
// object. The pane's link text and the tree's row wording and node types read this one table.

// The action codes of a stored link.
namespace LinkAction {
constexpr qint16 IgnoreKey = 0;
constexpr qint16 HangUp = 1;
constexpr qint16 GoTo = 2; // to the conversation that the link's conversation name names
constexpr qint16 TakeMessage = 4;
constexpr qint16 SkipGreeting = 5;
} // namespace LinkAction

// The object types a link's destination is stored with. A subscriber is reached through its own
// call handler, stored as a call handler; some stored links name it as a subscriber.
namespace LinkObjectType {
constexpr qint16 Subscriber = 1;
constexpr qint16 CallHandler = 3;
constexpr qint16 Interviewer = 5;
constexpr qint16 DirectoryHandler = 6;
} // namespace LinkObjectType

// Given to the link writer as an action or a destination type: the column keeps what it stores.
constexpr qint16 kLinkKeepsStored = -1;

// The kind of object a link leads to.
enum class LinkTarget { None, CallHandler, Interviewer, DirectoryHandler };

struct LinkKind {
    qint16 action;
    // Qualifies LinkAction::GoTo only (compared exactly, with case); empty for the other actions, which
    // mean the same whatever conversation is stored.
    const char* conversation;
    // The fixed action's name, or the pane's words before the destination's name.
    const char* text;
    LinkTarget target;
    // The pane names the destination after text ("Ring phone for: Sales"); otherwise text is
    // shown alone ("Route to Alpha Directory").
    bool paneNamesTarget;
    // The node type of a tree row with this link: 0 a leaf, 3 a call handler (1 when it is a
    // subscriber's own), 5 an interview handler, 6 a directory handler.
    qint16 nodeType;
    // After the destination's name and extension in a tree row.
    const char* treeSuffix;
    // The pane's text when the destination is a subscriber's own handler whose subscriber is
    // missing: followed by the owner's id; none means "Invalid Link!".
    const char* missingSubscriberText;
};

// The kind of a link; null for an action code or a conversation the system does not know.
const LinkKind* findLinkKind(qint16 action, const QString& conversation);
