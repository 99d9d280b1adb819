#include "runtime/RuntimeError.h"

RuntimeError::RuntimeError(int number, const QString& description)
    : std::runtime_error(description.toStdString()),
      m_number(number),
      m_description(description)
{
}

void throwError(int number, const QString& description)
{
    throw RuntimeError(number, description);
}
