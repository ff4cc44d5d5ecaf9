#include "platform/forms/datacontrol.h"

#include <QWidget>
#include <charconv>

#include "platform/win/error.h"

namespace forms {

namespace {

std::optional<dao::DBEngine>& EngineSlot() {
    static std::optional<dao::DBEngine> engine;
    return engine;
}

constexpr long kObjectNotSet = 91;

template <class W>
W* MakeHiddenChild(QWidget* parent) {
    auto widget = std::make_unique<W>(parent);
    widget->hide();
    widget->setFocusPolicy(Qt::NoFocus);
    return widget.release();
}

// A Single as the decimal it reads as (0.1f is 0.1, not 0.100000001490116), so that it prints
// with the digits a Single has.
double SingleAsDouble(float single) {
    char buffer[32];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, single);
    double result = single;
    std::from_chars(buffer, written.ptr, result);
    return result;
}

}  // namespace

void SetDataEngine(const dao::DBEngine& engine) { EngineSlot() = engine; }

const dao::DBEngine& DataEngine() {
    auto& slot = EngineSlot();
    if (!slot) slot.emplace();
    return *slot;
}

DataControl::DataControl(Window& window, std::string name, QWidget* parent)
    : Control(window, std::move(name), MakeHiddenChild<QWidget>(parent)) {}

void DataControl::Refresh() {
    dao::Database database = DataEngine().OpenDatabase(databaseName_, false, readOnly_, connect_);
    dao::Recordset recordset = database.OpenRecordset(recordSource_, dao::dbOpenDynaset,
                                                      readOnly_ ? dao::dbReadOnly : 0);
    if (recordset_) recordset_->Close();
    if (database_) database_->Close();
    database_ = std::move(database);
    recordset_ = std::move(recordset);
    for (const auto& onRefresh : bound_) onRefresh();
}

dao::Recordset& DataControl::Recordset() {
    if (!recordset_) win::Raise(kObjectNotSet, Name());
    return *recordset_;
}

Value FromDao(const dao::Value& value) {
    using Kind = dao::Value::Kind;
    switch (value.kind()) {
        case Kind::Null: return Value::Null();
        case Kind::Boolean: return Value(value.ToBool());
        case Kind::Byte:
        case Kind::Integer:
        case Kind::Long: return Value(value.ToLong());
        case Kind::Currency: return Value(CurrencyValue{value.ToCurrencyScaled()});
        case Kind::Single: return Value(SingleAsDouble(static_cast<float>(value.ToDouble())));
        case Kind::Double: return Value(value.ToDouble());
        case Kind::Date: return Value::Date(value.ToDouble());
        case Kind::Text: return Value(value.ToText());
    }
    return Value::Null();
}

}  // namespace forms
