#include "data/Validators.h"

#include "data/ExtensionSearch.h"
#include "data/SharedState.h"
#include "runtime/UserPrompts.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isDigits(const QString& s)
{
    return !s.isEmpty() && std::all_of(s.begin(), s.end(), isAsciiDigit);
}

// The runtime's numeric reading of a text: blanks around, an optional sign, digits with at most
// one decimal point, an optional exponent. Used only to say why a text is refused.
bool readsAsNumber(const QString& s)
{
    static const QRegularExpression number(QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?\\s*$"));
    return number.match(s).hasMatch();
}

// A number that reads as below zero: a minus sign before a digit other than 0 (the mantissa's).
bool readsAsNegative(const QString& s)
{
    const QString t = s.trimmed();
    if (!t.startsWith(QLatin1Char('-')))
        return false;
    for (const QChar c : t.mid(1)) {
        if (c == QLatin1Char('e') || c == QLatin1Char('E'))
            break;
        if (isAsciiDigit(c) && c != QLatin1Char('0'))
            return true;
    }
    return false;
}

} // namespace

bool MyIsNumber(const QString& s, qint32 lowerBound, qint32 upperBound)
{
    if (s.isEmpty())
        return true;
    const QString digits = s.trimmed();
    if (!isDigits(digits))
        return false;
    if (lowerBound == 0 && upperBound == 0)
        return true;
    // Digits only, so the value is whole and not negative; a long run of them is simply large.
    const double value = digits.toDouble();
    return value >= lowerBound && value <= upperBound;
}

bool myIsDialableString(const QString& s, bool allowX)
{
    if (s.isEmpty())
        return true;
    QString rest = s;
    rest.remove(QLatin1Char(',')).remove(QLatin1Char('*')).remove(QLatin1Char('#'));
    if (allowX)
        rest.remove(QLatin1Char('X'), Qt::CaseInsensitive);
    return isDigits(rest);
}

bool myIsValidNameField(const QString& s)
{
    if (s.isEmpty())
        return false;
    for (const QChar c : s) {
        const bool letter = (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('a') && c <= QLatin1Char('z'));
        if (!letter && !isAsciiDigit(c) && c != QLatin1Char('-') && c != QLatin1Char(' ') && c != QLatin1Char(','))
            return false;
    }
    return true;
}

std::optional<QString> extensionRefusal(SharedState& state, const QString& s, qint16 minLen)
{
    const QString digits = s.trimmed();
    if (digits.size() < minLen)
        return QStringLiteral("Extensions must be at least %1 digits in length").arg(minLen);
    if (digits.isEmpty() && minLen == 0)
        return std::nullopt;
    if (!readsAsNumber(digits))
        return QStringLiteral("Only numbers are allowed for the extension number");
    if (readsAsNegative(digits))
        return QStringLiteral("Extensions must be positive numbers only");
    if (digits.contains(QLatin1Char('.')))
        return QStringLiteral("Extension must be a whole number only");
    // A sign or an exponent reads as a number but would be stored as typed.
    if (!isDigits(digits))
        return QStringLiteral("Only numbers are allowed for the extension number");

    const ExtensionMatches found = findAllDTMFIDMatches(state, digits);
    if (found.failure)
        return QStringLiteral("Error in isValidExtension:") + found.failure->description();
    if (found.matches.empty())
        return std::nullopt;
    QString message = QStringLiteral("That extension is in use by the following objects:\r\n");
    for (const ExtensionMatch& m : found.matches)
        message += QStringLiteral("    ") + m.TypeName + QStringLiteral(" with alias=") + m.Alias
                   + QStringLiteral(" and a display name=") + m.DisplayName + QStringLiteral("\r\n");
    return message;
}

bool isValidExtension(SharedState& state, const QString& s, qint16 minLen)
{
    const std::optional<QString> refusal = extensionRefusal(state, s, minLen);
    if (refusal)
        state.prompts.msgBox(*refusal, Buttons::OKOnly);
    return !refusal;
}

QString RemoveSpaces(const QString& s)
{
    QString result = s;
    return result.remove(QLatin1Char(' '));
}

bool FileExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.isFile() && !info.isHidden();
}

QString GetObjectTypeName(qint16 objectType)
{
    switch (objectType) {
    case 1:
        return QStringLiteral("Subscriber");
    case 2:
        return QStringLiteral("Distribution List");
    case 3:
        return QStringLiteral("Call Handler");
    case 5:
        return QStringLiteral("Inteview Handler"); // sic: the spelling administrators know
    case 6:
        return QStringLiteral("Directory Handler");
    case 9:
        return QStringLiteral("Location Object");
    default:
        return QStringLiteral("Unknown");
    }
}
