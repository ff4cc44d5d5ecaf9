#include "platform/controls/grid/array_object.h"

#include <vector>

#include "platform/win/error.h"

namespace controls::grid {
namespace {

using com::Variant;
using Args = com::DispatchTable<ArrayObject>::Args;
constexpr long kOutOfMemory = 7;

com::DispatchTable<ArrayObject> MakeTable() {
    com::DispatchTable<ArrayObject> t("XArray");
    t.Property(
        "Value", com::VT_VARIANT, {com::VT_I4, com::VT_I4},
        [](ArrayObject& a, Args i) { return a.Value(i[0].AsI4(), i[1].AsI4()); },
        [](ArrayObject& a, Args i, const Variant& v) { a.SetValue(i[0].AsI4(), i[1].AsI4(), v); },
        com::DISPID_VALUE);
    t.Method("ReDim", com::VT_EMPTY, {com::VT_I4, com::VT_I4, com::VT_I4, com::VT_I4},
             [](ArrayObject& a, Args x) {
                 a.ReDim(x[0].AsI4(), x[1].AsI4(), x[2].AsI4(), x[3].AsI4());
                 return Variant();
             });
    t.Method("LowerBound", com::VT_I4, {com::VT_I4},
             [](ArrayObject& a, Args x) { return Variant::I4(a.LowerBound(x[0].AsI4())); });
    t.Method("UpperBound", com::VT_I4, {com::VT_I4},
             [](ArrayObject& a, Args x) { return Variant::I4(a.UpperBound(x[0].AsI4())); });
    return t;
}

}  // namespace

const com::DispatchMap& ArrayObject::DispatchMembers() {
    static const com::DispatchTable<ArrayObject> table = MakeTable();
    return table.Map();
}

void ArrayObject::ReDim(std::int32_t lower1, std::int32_t upper1, std::int32_t lower2, std::int32_t upper2) {
    if (!cells_.ReDim({{lower1, upper1}, {lower2, upper2}})) win::Raise(kOutOfMemory, "XArray");
    Notify({true, 0, 0});
}

std::int32_t ArrayObject::LowerBound(std::int32_t dimension) const {
    std::int32_t bound = 0;
    if (dimension < 1 || com::Failed(cells_.LowerBound(static_cast<std::size_t>(dimension), bound)))
        win::Raise(win::err::SubscriptOutOfRange, "XArray");
    return bound;
}

std::int32_t ArrayObject::UpperBound(std::int32_t dimension) const {
    std::int32_t bound = 0;
    if (dimension < 1 || com::Failed(cells_.UpperBound(static_cast<std::size_t>(dimension), bound)))
        win::Raise(win::err::SubscriptOutOfRange, "XArray");
    return bound;
}

std::int32_t ArrayObject::Count(std::int32_t dimension) const {
    if (cells_.Dimensions() != 2) return 0;
    const std::int64_t count = std::int64_t{UpperBound(dimension)} - LowerBound(dimension) + 1;
    return count > 0 ? static_cast<std::int32_t>(count) : 0;
}

const Variant& ArrayObject::Value(std::int32_t row, std::int32_t column) const {
    const Variant* cell = cells_.At({row, column});
    if (!cell) win::Raise(win::err::SubscriptOutOfRange, "XArray");
    return *cell;
}

void ArrayObject::SetValue(std::int32_t row, std::int32_t column, const Variant& value) {
    Variant* cell = cells_.At({row, column});
    if (!cell) win::Raise(win::err::SubscriptOutOfRange, "XArray");
    *cell = value.Deref();
    Notify({false, row, column});
}

int ArrayObject::Subscribe(Listener listener) {
    const int token = nextToken_++;
    listeners_.emplace(token, std::move(listener));
    return token;
}

void ArrayObject::Unsubscribe(int token) { listeners_.erase(token); }

void ArrayObject::Notify(const Change& change) const {
    // Tokens first: a listener may unsubscribe itself or another (a grid unbinding or going
    // away) while it is told, and one that left is not called.
    std::vector<int> tokens;
    for (const auto& entry : listeners_) tokens.push_back(entry.first);
    for (const int token : tokens) {
        const auto it = listeners_.find(token);
        if (it == listeners_.end()) continue;
        const Listener listener = it->second;
        listener(change);
    }
}

}  // namespace controls::grid
