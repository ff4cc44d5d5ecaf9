#include "report/core/fields.h"

#include <string>

#include "platform/win/error.h"
#include "report/core/error_routine.h"

namespace report {

namespace {
// The date field's FmtControl, FmtDay, FmtMonth and FmtYear values used here.
constexpr std::int16_t kDayMonthYear = 2;
constexpr std::int16_t kLeadingZero = 2;
constexpr std::int16_t kFourDigits = 2;
}  // namespace

forms::MissingControl ReportMissingControl(const char* tela) {
    return [tela](const win::RuntimeError& error, const forms::ControlSpec& row) {
        ReportError(error, tela, "Form_Load " + std::string(row.name));
    };
}

std::vector<forms::Window::HostedProperty> EmptyTextField() { return {{"Text", com::Variant::Utf8("")}}; }

std::vector<forms::Window::HostedProperty> PasswordField() {
    std::vector<forms::Window::HostedProperty> properties = EmptyTextField();
    properties.push_back({"PasswordChar", com::Variant::Utf8("*")});
    return properties;
}

std::vector<forms::Window::HostedProperty> DayFirstDateField() {
    // The separator first: the formats after it rebuild the field's texts with it.
    return {{"FmtSeparator", com::Variant::Utf8("/")},
            {"FmtControl", com::Variant::I2(kDayMonthYear)},
            {"FmtDay", com::Variant::I2(kLeadingZero)},
            {"FmtMonth", com::Variant::I2(kLeadingZero)},
            {"FmtYear", com::Variant::I2(kFourDigits)}};
}

}  // namespace report
