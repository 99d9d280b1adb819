#pragma once

#include <QString>
#include <stdexcept>

// The one exception type of the platform layers. It keeps an error number and its description,
// because the program's messages quote both.
class RuntimeError : public std::runtime_error {
public:
    RuntimeError(int number, const QString& description);

    int number() const { return m_number; }
    const QString& description() const { return m_description; }

private:
    int m_number;
    QString m_description;
};

namespace ErrorNumber {
constexpr int InvalidUseOfNull = 94;
constexpr int TypeMismatch = 13;
constexpr int Overflow = 6;
constexpr int NoCurrentRecord = 3021;
constexpr int ObjectClosed = 3704;
constexpr int ItemNotFound = 3265;
constexpr int UnsupportedValueType = 1001;
// The provider's catch-all failure (E_FAIL); also what the media control reports when not ready.
constexpr int ProviderFailure = -2147467259;
constexpr int RowCannotBeLocated = -2147217864;
} // namespace ErrorNumber

[[noreturn]] void throwError(int number, const QString& description);
