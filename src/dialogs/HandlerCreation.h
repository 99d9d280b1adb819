#pragma once

#include <QString>

class SharedState;

// The Create commands of the Get dialogs, without their windows. Each makes one handler as one
// whole: the server's procedure (or the direct rows), the copy of the template's rules with fresh
// silent greeting files, and the final writes land in one transaction. A refusal or a failure
// shows one message, leaves the database and the stream-files folder as they were and logs
// nothing; "NEW" is logged only once the handler is committed. Each returns the new handler's id,
// or the empty text when nothing was made.

// A call handler copied from the template: its profile through csp_CallHandlerCreate (servers
// from 4.0(2.99) on) or sp_ImportCallHandler, then its transfer rules, keys and greetings, owner,
// recipient and after-message destination. The shared recordsets are requeried afterwards.
QString createCallHandler(SharedState& state, const QString& templateId, const QString& name, const QString& extension);

// An interview handler with the template's owner, recipient, after-message link and location, and
// its first question. rsInterviewHandler is left on the new handler.
QString createInterviewHandler(SharedState& state, const QString& templateId, const QString& name, const QString& extension);

// A directory handler with the settings of the first directory handler (the oldest one) and all
// four exits set to that one's main exit. rsNameLookupHandler is left on the new handler.
QString createDirectoryHandler(SharedState& state, const QString& name, const QString& extension);

// How many times a taken alias gets another number, and a taken file name another draw.
inline constexpr int kCreationNameAttempts = 20;
