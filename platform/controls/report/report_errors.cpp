#include "platform/controls/report/report_errors.h"

namespace controls::report {

void Raise(long number, std::string description) {
    throw win::RuntimeError(number, std::move(description), kErrorSource);
}

}  // namespace controls::report
