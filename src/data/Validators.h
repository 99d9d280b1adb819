#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

class SharedState;

// The checks the editors and dialogs run on what the administrator typed before anything is
// written. Numbers, extensions and dial strings are plain ASCII digits: a sign, an exponent or a
// decimal point never passes, so nothing but digits reaches the database.

// True for the empty text, and for digits (blanks around them allowed) whose value lies within
// the bounds; both bounds 0 means there is no range.
bool MyIsNumber(const QString& s, qint32 lowerBound, qint32 upperBound);

// True for the empty text, and for digits mixed with ",", "*" and "#" (and "X" or "x" when
// allowX); at least one digit is needed, so "," alone is not dialable. No blanks.
bool myIsDialableString(const QString& s, bool allowX);

// True when the text is not empty and holds only the letters A to Z in either case, digits,
// blanks, "-" and ",".
bool myIsValidNameField(const QString& s);

// Whether the text may become the extension of the object being edited; every refusal shows its
// reason in a message box. The text is taken without the blanks around it, and the empty text
// passes when minLen is 0 (the extension is being cleared). Digits only, then no object of the
// dialing domain may use them yet. A search that cannot be completed refuses with its error: an
// extension is never taken for free without an answer.
bool isValidExtension(SharedState& state, const QString& s, qint16 minLen);
// The same check without the message box: the reason it would show, or nothing when the text
// passes.
std::optional<QString> extensionRefusal(SharedState& state, const QString& s, qint16 minLen);

// The text without its blanks (other white space stays).
QString RemoveSpaces(const QString& s);

// True when the path names a normal file: not a folder, not hidden.
bool FileExists(const QString& path);

// The display word of an object type code; "Unknown" for codes without one.
QString GetObjectTypeName(qint16 objectType);
