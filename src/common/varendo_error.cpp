#include "common/varendo_error.h"

namespace varendo {

VarendoError::VarendoError(const QString& message)
    : std::runtime_error(message.toStdString()), message_(message)
{
}

} // namespace varendo
