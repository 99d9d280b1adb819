#pragma once

#include "runtime/ErrorHandling.h"

#include <QString>
#include <utility>

class EnvironmentOperations;
class QCheckBox;
class QComboBox;
class QLineEdit;
class Recordset;
class RecordsetCache;
class SharedState;
class Variant;

// What the pages' loads have in common. Every step of a load passes its failure over: the step
// has no effect and the next one runs.
template <typename Step>
void step(Step&& body)
{
    runStepSilently(std::forward<Step>(body));
}

// Finds the row whose column holds the value, from the first row on; false when there is none. A
// Null value finds no row.
bool findFromFirst(Recordset& rs, const QString& column, const Variant& value);

// The name of the language a handler's callers hear: a stored LCID by its three-letter code, a
// Null by codeForNull. A value that is no whole number raises a type mismatch.
QString languageName(const Variant& language, const QString& codeForNull, const EnvironmentOperations& environment);

// The display name of the owner or recipient of that kind, where GetOwnerObjectType left its row.
QString ownerName(RecordsetCache& cache, qint16 kind);

// The text of the link in the current row's columns prefix + "Action", "Conversation" and
// "ObjectID"; a Null conversation or destination counts as empty, a Null action raises.
QString linkText(SharedState& state, Recordset& rs, const QString& prefix);

// A handler's message settings, on the call handler and the subscriber page alike.
struct MessageSettingsControls {
    QLineEdit* maxMessageLength;
    QCheckBox* canEditMessages;
    QComboBox* canMarkUrgent;
    QLineEdit* afterMessageAction;
};

// Shows the message settings of the handler on which rsCallHandler stands, each control a step.
void showMessageSettings(SharedState& state, const MessageSettingsControls& controls);
