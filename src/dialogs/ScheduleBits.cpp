#include "dialogs/ScheduleBits.h"

#include "runtime/RuntimeError.h"
#include "runtime/UserPrompts.h"

#include <array>

namespace {

constexpr int kSubscriptOutOfRange = 9;

constexpr std::array<qint32, 32> powersOfTwo()
{
    std::array<qint32, 32> table{};
    table[0] = 1;
    for (int i = 1; i <= 30; ++i)
        table[size_t(i)] = table[size_t(i - 1)] * 2;
    table[31] = static_cast<qint32>(0x80000000u);
    return table;
}

constexpr std::array<qint32, 32> kPower2 = powersOfTwo();

} // namespace

qint32 Power2(qint32 exponent)
{
    if (exponent < 0 || exponent > 31)
        throwError(kSubscriptOutOfRange, QStringLiteral("Subscript out of range"));
    return kPower2[size_t(exponent)];
}

qint32 BinToDec(UserPrompts& prompts, const QString& value)
{
    quint32 result = 0;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(value.size() - 1 - i);
        if (c == QLatin1Char('1'))
            result += static_cast<quint32>(Power2(static_cast<qint32>(i)));
        else if (c != QLatin1Char('0'))
            prompts.msgBox(QStringLiteral("Error! Invalid string passed to BinToDec function:") + value, Buttons::OKOnly);
    }
    return static_cast<qint32>(result);
}

QString DecToBin(qint32 value)
{
    QString bits(32, QLatin1Char('0'));
    quint32 rest = static_cast<quint32>(value);
    for (int i = 0; rest != 0; ++i) {
        const quint32 bit = static_cast<quint32>(Power2(i));
        if (rest & bit) {
            bits[31 - i] = QLatin1Char('1');
            rest &= ~bit;
        }
    }
    return bits;
}

QString dayBitsFromStored(const QByteArray& stored)
{
    QString bits;
    bits.reserve(kQuarterHours);
    for (int k = 0; k < kDayBytes && k < stored.size(); ++k)
        bits += DecToBin(static_cast<quint8>(stored.at(k))).right(8);
    return bits.leftJustified(kQuarterHours, QLatin1Char('0'));
}

QByteArray dayBytesFromBits(UserPrompts& prompts, const QString& bits)
{
    QByteArray bytes(kDayBytes, '\0');
    for (int k = 0; k < kDayBytes; ++k)
        bytes[k] = static_cast<char>(BinToDec(prompts, bits.mid(8 * k, 8)) & 0xFF);
    return bytes;
}
