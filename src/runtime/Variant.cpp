#include "runtime/Variant.h"

#include "runtime/RuntimeError.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace {

[[noreturn]] void nullError()
{
    throwError(ErrorNumber::InvalidUseOfNull, QStringLiteral("Invalid use of Null"));
}

[[noreturn]] void mismatch()
{
    throwError(ErrorNumber::TypeMismatch, QStringLiteral("Type mismatch"));
}

bool parseNumber(const QString& text, double& out)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    bool ok = false;
    out = t.toDouble(&ok);
    return ok;
}

// The runtime rounds half to even when a double becomes a whole number.
qint64 roundToWhole(double v)
{
    return static_cast<qint64>(std::nearbyint(v));
}

} // namespace

Variant Variant::null()
{
    Variant v;
    v.m_value = NullTag{};
    return v;
}

Variant::Variant(bool value)
    : m_value(value)
{
}
Variant::Variant(int value)
    : m_value(static_cast<qint64>(value))
{
}
Variant::Variant(qint64 value)
    : m_value(value)
{
}
Variant::Variant(double value)
    : m_value(value)
{
}
Variant::Variant(const QString& value)
    : m_value(value)
{
}
Variant::Variant(const char* value)
    : m_value(QString::fromUtf8(value))
{
}
Variant::Variant(const QDateTime& value)
    : m_value(value)
{
}
Variant::Variant(const QByteArray& value)
    : m_value(value)
{
}

Variant::Type Variant::type() const
{
    return static_cast<Type>(m_value.index());
}

bool Variant::isNumeric() const
{
    switch (type()) {
    case Type::Boolean:
    case Type::Integer:
    case Type::Double:
    case Type::Empty:
        return true;
    case Type::Text: {
        double d;
        return parseNumber(std::get<QString>(m_value), d);
    }
    default:
        return false;
    }
}

QString Variant::toText() const
{
    switch (type()) {
    case Type::Empty:
        return QString();
    case Type::Null:
        nullError();
    case Type::Boolean:
        return std::get<bool>(m_value) ? QStringLiteral("True") : QStringLiteral("False");
    case Type::Integer:
        return QString::number(std::get<qint64>(m_value));
    case Type::Double:
        return numberText(std::get<double>(m_value));
    case Type::Text:
        return std::get<QString>(m_value);
    case Type::Date:
        return generalDateText(std::get<QDateTime>(m_value));
    case Type::Bytes:
        return QString::fromLatin1(std::get<QByteArray>(m_value));
    }
    mismatch();
}

QString Variant::textOrEmpty() const
{
    if (isNull() || isEmpty())
        return QString();
    return toText();
}

qint64 Variant::toInt64() const
{
    // A number outside the whole numbers' range (or not a number at all) overflows, as in the runtime.
    auto whole = [](double d) {
        const double rounded = std::nearbyint(d);
        if (!(rounded >= -0x1p63 && rounded < 0x1p63))
            throwError(ErrorNumber::Overflow, QStringLiteral("Overflow"));
        return roundToWhole(rounded);
    };
    switch (type()) {
    case Type::Empty:
        return 0;
    case Type::Null:
        nullError();
    case Type::Boolean:
        return std::get<bool>(m_value) ? -1 : 0;
    case Type::Integer:
        return std::get<qint64>(m_value);
    case Type::Double:
        return whole(std::get<double>(m_value));
    case Type::Text: {
        double d;
        if (!parseNumber(std::get<QString>(m_value), d))
            mismatch();
        return whole(d);
    }
    case Type::Date:
    case Type::Bytes:
        break;
    }
    mismatch();
}

qint32 Variant::toInt32() const
{
    const qint64 v = toInt64();
    if (v < INT32_MIN || v > INT32_MAX)
        throwError(ErrorNumber::Overflow, QStringLiteral("Overflow"));
    return static_cast<qint32>(v);
}

qint16 Variant::toInt16() const
{
    const qint64 v = toInt64();
    if (v < INT16_MIN || v > INT16_MAX)
        throwError(ErrorNumber::Overflow, QStringLiteral("Overflow"));
    return static_cast<qint16>(v);
}

bool Variant::toBool() const
{
    switch (type()) {
    case Type::Null:
        nullError();
    case Type::Boolean:
        return std::get<bool>(m_value);
    case Type::Text: {
        const QString t = std::get<QString>(m_value).trimmed();
        if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return true;
        if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            return false;
        double d;
        if (!parseNumber(t, d))
            mismatch();
        return d != 0;
    }
    default:
        return toDouble() != 0;
    }
}

double Variant::toDouble() const
{
    switch (type()) {
    case Type::Empty:
        return 0;
    case Type::Null:
        nullError();
    case Type::Boolean:
        return std::get<bool>(m_value) ? -1 : 0;
    case Type::Integer:
        return static_cast<double>(std::get<qint64>(m_value));
    case Type::Double:
        return std::get<double>(m_value);
    case Type::Text: {
        double d;
        if (!parseNumber(std::get<QString>(m_value), d))
            mismatch();
        return d;
    }
    default:
        mismatch();
    }
}

QDateTime Variant::toDate() const
{
    switch (type()) {
    case Type::Null:
        nullError();
    case Type::Date:
        return std::get<QDateTime>(m_value);
    case Type::Text: {
        const QDateTime d = parseDateText(std::get<QString>(m_value));
        if (!d.isValid())
            mismatch();
        return d;
    }
    default:
        mismatch();
    }
}

QByteArray Variant::toBytes() const
{
    switch (type()) {
    case Type::Null:
        nullError();
    case Type::Bytes:
        return std::get<QByteArray>(m_value);
    case Type::Text:
        return std::get<QString>(m_value).toUtf8();
    default:
        mismatch();
    }
}

bool Variant::operator==(const Variant& other) const
{
    return m_value == other.m_value;
}

QString generalDateText(const QDateTime& value)
{
    const QLocale c(QLocale::English, QLocale::UnitedStates);
    const QDate date = value.date();
    const QTime time = value.time();
    const bool noTime = !time.isValid() || time == QTime(0, 0);
    const bool noDate = date == QDate(1899, 12, 30);
    const QString dateText = c.toString(date, QStringLiteral("M/d/yyyy"));
    const QString timeText = c.toString(time, QStringLiteral("h:mm:ss AP"));
    if (noTime)
        return dateText;
    if (noDate)
        return timeText;
    return dateText + QLatin1Char(' ') + timeText;
}

QString numberText(double value)
{
    if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15)
        return QString::number(static_cast<qint64>(value));
    return QString::number(value, 'g', 15);
}

QString strNumberText(double value)
{
    const QString digits = numberText(value);
    return digits.startsWith(QLatin1Char('-')) ? digits : QLatin1Char(' ') + digits;
}

QDateTime parseDateText(const QString& text)
{
    const QString t = text.trimmed();
    // ISO storage form first: that is what the database holds.
    for (const char* fmt : {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-ddTHH:mm:ss", "yyyy-MM-dd HH:mm:ss.zzz", "yyyy-MM-dd"}) {
        const QDateTime d = QDateTime::fromString(t, QString::fromLatin1(fmt));
        if (d.isValid())
            return d;
    }
    // The runtime's month/day/year with an optional time; two-digit years below 30 are 20xx.
    static const QRegularExpression mdy(
        QStringLiteral("^(\\d{1,2})/(\\d{1,2})/(\\d{2}|\\d{4})(?:\\s+(\\d{1,2}):(\\d{2})(?::(\\d{2}))?\\s*([AaPp][Mm])?)?$"));
    const auto m = mdy.match(t);
    if (!m.hasMatch())
        return QDateTime();
    int year = m.captured(3).toInt();
    if (m.captured(3).size() == 2)
        year += year < 30 ? 2000 : 1900;
    const QDate date(year, m.captured(1).toInt(), m.captured(2).toInt());
    if (!date.isValid())
        return QDateTime();
    QTime time(0, 0);
    if (!m.captured(4).isEmpty()) {
        int hour = m.captured(4).toInt();
        const QString ap = m.captured(7).toUpper();
        if (ap == QLatin1String("PM") && hour < 12)
            hour += 12;
        if (ap == QLatin1String("AM") && hour == 12)
            hour = 0;
        time = QTime(hour, m.captured(5).toInt(), m.captured(6).toInt());
        if (!time.isValid())
            return QDateTime();
    }
    return QDateTime(date, time);
}
