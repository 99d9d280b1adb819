#pragma once

#include <QString>
#include <optional>

// Which link a change is for, named by ids rather than by whatever rows the shared recordsets
// stand on: the selector ("3", "STD", "AM", "SubExit", ...), the object that owns the link (the
// call handler of a key, a greeting or "AM"; the subscriber's own call handler for "SubExit"; the
// interview or directory handler otherwise) and, where known, the id of the row that holds it.
struct ChosenLink {
    QString selector;
    QString ownerId;
    QString recordId;
};

// Where a selector's link is stored. Selectors are compared exactly; anything else is a key.
enum class LinkPlace { Key, Greeting, AfterMessage, InterviewerAfterMessage, SubscriberExit, DirectoryExit };

LinkPlace linkPlaceOf(const QString& selector);

// The greeting a tree row's code names ("STD" gives "Standard"); none for "AG" and other texts.
std::optional<QString> greetingAliasOfCode(const QString& code);

// The column prefix of a directory handler's exit selector ("DirNoInputExit" gives "NoInput").
QString directoryExitPrefix(const QString& selector);
