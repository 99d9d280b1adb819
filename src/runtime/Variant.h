#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <variant>

// One value of a field, a parameter or a setting: Empty (never set), Null (the database's missing
// value), Boolean, a whole number, a double, text, a date or a byte array. Null stays apart from
// "" and 0, and converting Null to text or a number raises error 94, which the editors rely on to
// tell a missing value from an empty one.
class Variant {
public:
    enum class Type { Empty, Null, Boolean, Integer, Double, Text, Date, Bytes };

    Variant() = default;
    static Variant null();
    Variant(bool value);
    Variant(int value);
    Variant(qint64 value);
    Variant(double value);
    Variant(const QString& value);
    Variant(const char* value);
    Variant(const QDateTime& value);
    Variant(const QByteArray& value);

    Type type() const;
    bool isNull() const { return type() == Type::Null; }
    bool isEmpty() const { return type() == Type::Empty; }
    bool isNumeric() const;

    // Conversions with the runtime's rules; each throws 94 for Null and 13 where no conversion exists.
    QString toText() const;
    qint16 toInt16() const;
    qint32 toInt32() const;
    qint64 toInt64() const;
    bool toBool() const;
    double toDouble() const;
    QDateTime toDate() const;
    QByteArray toBytes() const;

    // Text without raising: Null and Empty give "".
    QString textOrEmpty() const;

    // Exact equality of type and value (Null equals Null); used for change detection.
    bool operator==(const Variant& other) const;
    bool operator!=(const Variant& other) const { return !(*this == other); }

private:
    struct NullTag {
        bool operator==(const NullTag&) const { return true; }
    };
    using Storage = std::variant<std::monostate, NullTag, bool, qint64, double, QString, QDateTime, QByteArray>;
    Storage m_value;
};

// The runtime's general date form: short date, a blank, long time ("12/10/2026 1:05:09 PM").
// A time of exactly midnight shows the date alone, and a date of 12/30/1899 the time alone.
QString generalDateText(const QDateTime& value);

// Whole numbers are written as the runtime's Str/CStr would for a number turned into text by CStr.
QString numberText(double value);

// A number as the runtime's Str writes it: one leading blank where a minus sign would stand
// (" 4", "-1"). The change log's number values take this form.
QString strNumberText(double value);

// Parses the date texts the program writes ("1/2/93", ISO forms); invalid on failure.
QDateTime parseDateText(const QString& text);
