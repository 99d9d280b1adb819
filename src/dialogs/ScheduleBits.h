#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

class UserPrompts;

// The bit texts of the schedule editor: a stored day is 12 bytes, one bit per quarter hour, the
// earlier quarter hour in the more significant bit.

// 2 to the power of the exponent as a 32-bit signed integer; 31 gives the sign bit alone. An
// exponent outside 0 to 31 raises the runtime's subscript error (9).
qint32 Power2(qint32 exponent);

// The text of "0" and "1", read from its last character (bit 0) to its first. Any other
// character adds nothing and shows its message, once per such character. A "1" at bit 32 or
// beyond raises the subscript error; a 32-character text beginning with "1" is negative.
qint32 BinToDec(UserPrompts& prompts, const QString& value);

// Exactly 32 characters "0" and "1", the most significant bit first.
QString DecToBin(qint32 value);

constexpr int kQuarterHours = 96;
constexpr int kDayBytes = 12;

// The 96 characters of a stored day value. A shorter value is read as if padded with zero bytes,
// a longer one only up to its 12th byte, a Null (empty) one as all clear.
QString dayBitsFromStored(const QByteArray& stored);

// The 12 bytes of a text of 96 characters "0" and "1".
QByteArray dayBytesFromBits(UserPrompts& prompts, const QString& bits);
