// Dispatch by DISPID and by name: member numbering, argument conversion, wrong counts and kinds,
// the default member, exception information, and how the calling side raises runtime errors.
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/com/dispatch.h"
#include "platform/win/error.h"

namespace com {
namespace {

class Field final : public DispatchObject<Field> {
public:
    using Args = DispatchTable<Field>::Args;

    static const DispatchMap& DispatchMembers() {
        static const DispatchTable<Field> table = [] {
            DispatchTable<Field> t("TEST.Field.1");
            t.Property("MaxLength", &Field::MaxLength, &Field::SetMaxLength)   // 1
                .Property("Value", &Field::Value, &Field::SetValue)            // 2
                .Property("AutoScroll", &Field::AutoScroll, &Field::SetAutoScroll)   // 3
                .ReadOnly("HdnWidth", &Field::HdnWidth)                          // 4
                .Property("Item", VT_BSTR, {VT_I4}, &Field::Item, &Field::SetItem)   // 5
                .Method("Clear", VT_EMPTY, {}, [](Field& f, Args) { f.text_.clear(); return Variant(); })   // 6
                .Method("Add", VT_I4, {VT_I4, VT_I4},
                        [](Field&, Args a) {
                            return Variant::I4(a[0].AsI4() + (a[1].IsMissing() ? 0 : a[1].AsI4()));
                        },
                        std::nullopt, 1)                                         // 7
                .Method("Adjust", VT_I2, {VT_BYREF | VT_I2},
                        [](Field&, Args a) {
                            *a[0].RefTargetI2() = static_cast<std::int16_t>(*a[0].RefTargetI2() * 2);
                            return Variant::I2(*a[0].RefTargetI2());
                        })                                                       // 8
                .Method("Boom", VT_EMPTY, {}, [](Field&, Args) -> Variant { throw std::runtime_error("boom"); })
                .Method("Raise", VT_EMPTY, {}, [](Field&, Args) -> Variant { win::Raise(5); })
                .Property("Text", &Field::Text, &Field::SetText, DISPID_TEXT)
                .Property("BackColor", &Field::BackColor, &Field::SetBackColor, DISPID_BACKCOLOR)
                .Property("_Text", &Field::Text, &Field::SetText, DISPID_VALUE);
            return t;
        }();
        return table.Map();
    }

    std::string Text() const { return text_; }
    void SetText(const std::string& t) { text_ = t; }
    std::int16_t MaxLength() const { return maxLength_; }
    void SetMaxLength(std::int16_t v) {
        if (v < 0 || v > 255)
            ThrowError(CTL_E_INVALIDPROPERTYVALUE, "MaxLength must be 0-255", 1234, "ZMTEXT.HLP");
        maxLength_ = v;
    }
    Currency Value() const { return value_; }
    void SetValue(Currency v) { value_ = v; }
    bool AutoScroll() const { return autoScroll_; }
    void SetAutoScroll(bool v) { autoScroll_ = v; }
    std::int32_t HdnWidth() const { return 120; }
    std::int32_t BackColor() const { return backColor_; }
    void SetBackColor(std::int32_t v) { backColor_ = v; }
    Variant Item(Args index) const {
        return Variant::Utf8(items_.at(CheckIndex(index[0].AsI4())));
    }
    void SetItem(Args index, const Variant& v) {
        items_.at(CheckIndex(index[0].AsI4())) = v.AsStr().ToUtf8();
    }

private:
    static std::size_t CheckIndex(std::int32_t i) {
        if (i < 0 || i > 3) ThrowError(ControlError(9));
        return static_cast<std::size_t>(i);
    }

    std::string text_;
    std::int16_t maxLength_ = 0;
    Currency value_;
    bool autoScroll_ = false;
    std::int32_t backColor_ = 0;
    std::array<std::string, 4> items_;
};

struct InvokeRow {
    const char* name;
    DispId id;
    std::uint16_t flags;
    std::vector<Variant> args;
    HResult expected;
    std::uint32_t argErr = 0;
};

constexpr std::uint16_t kGet = DISPATCH_PROPERTYGET, kPut = DISPATCH_PROPERTYPUT,
                        kCall = DISPATCH_METHOD;

TEST(Dispatch, InvokeStatuses) {
    const InvokeRow rows[] = {
        {"put by text", 1, kPut, {Variant::Utf8("12")}, S_OK},
        {"put text that is no number", 1, kPut, {Variant::Utf8("abc")}, DISP_E_TYPEMISMATCH, 0},
        {"put out of the 16-bit range", 1, kPut, {Variant::I4(70000)}, DISP_E_OVERFLOW, 0},
        {"put refused by the setter", 1, kPut, {Variant::I2(300)}, DISP_E_EXCEPTION},
        {"put without a value", 1, kPut, {}, DISP_E_BADPARAMCOUNT},
        {"put with two values", 1, kPut, {Variant::I2(1), Variant::I2(2)}, DISP_E_BADPARAMCOUNT},
        {"get with an argument", 1, kGet, {Variant::I2(1)}, DISP_E_BADPARAMCOUNT},
        {"get of a method as VB calls it", 7, kGet | kCall, {Variant::I4(1)}, S_OK},
        {"put to a read-only property", 4, kPut, {Variant::I4(1)}, DISP_E_EXCEPTION},
        {"put by reference to a value property", 1, DISPATCH_PROPERTYPUTREF, {Variant::I2(5)}, S_OK},
        {"indexed get without the index", 5, kGet, {}, DISP_E_BADPARAMCOUNT},
        {"index that is no number", 5, kGet, {Variant::Utf8("x")}, DISP_E_TYPEMISMATCH, 0},
        {"method called as a put", 6, kPut, {Variant::I2(1)}, DISP_E_MEMBERNOTFOUND},
        {"method with too many arguments", 6, kCall, {Variant::I2(1)}, DISP_E_BADPARAMCOUNT},
        {"method with too few arguments", 7, kCall, {}, DISP_E_BADPARAMCOUNT},
        {"required argument left out", 7, kCall, {Variant::Missing(), Variant::I4(1)}, DISP_E_PARAMNOTOPTIONAL, 0},
        {"first argument of the wrong kind", 7, kCall, {Variant::Utf8("a"), Variant::I4(1)}, DISP_E_TYPEMISMATCH, 0},
        {"second argument of the wrong kind", 7, kCall, {Variant::I4(1), Variant::Utf8("b")}, DISP_E_TYPEMISMATCH, 1},
        {"unknown DISPID", 99, kGet, {}, DISP_E_MEMBERNOTFOUND},
        {"property called as a method only", 1, kCall, {}, DISP_E_MEMBERNOTFOUND},
        {"by-reference parameter given by value", 8, kCall, {Variant::I2(4)}, S_OK},
        {"by-reference parameter of text that is no number", 8, kCall, {Variant::Utf8("x")}, DISP_E_TYPEMISMATCH, 0},
    };
    for (const auto& row : rows) {
        auto field = Field::Create();
        DispParams params{row.args};
        std::uint32_t argErr = 77;
        Variant result;
        ExcepInfo excep;
        EXPECT_EQ(field->Invoke(row.id, row.flags, params, &result, &excep, &argErr), row.expected) << row.name;
        if (row.expected == DISP_E_TYPEMISMATCH || row.expected == DISP_E_OVERFLOW ||
            row.expected == DISP_E_PARAMNOTOPTIONAL) {
            EXPECT_EQ(argErr, row.argErr) << row.name;
        }
    }
}

TEST(Dispatch, OwnMembersNumberFromOneAndStockKeepTheirIds) {
    auto field = Field::Create();
    const std::pair<const char*, DispId> names[] = {
        {"maxlength", 1}, {"VALUE", 2}, {"AutoScroll", 3}, {"hdnwidth", 4}, {"Item", 5},
        {"Clear", 6},     {"add", 7},   {"Adjust", 8},     {"Boom", 9},     {"Raise", 10},
        {"text", DISPID_TEXT}, {"BackColor", DISPID_BACKCOLOR}, {"_Text", DISPID_VALUE}};
    for (const auto& [name, id] : names) {
        DispId got = 12345;
        EXPECT_EQ(field->GetIDsOfNames(name, &got), S_OK) << name;
        EXPECT_EQ(got, id) << name;
    }
    DispId got = 0;
    EXPECT_EQ(field->GetIDsOfNames("Caption", &got), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(got, DISPID_UNKNOWN);
}

TEST(Dispatch, ValuesArriveConvertedToTheDeclaredKind) {
    auto field = Field::Create();
    IDispatch* d = field.Get();
    PutProperty(d, 1, Variant::Utf8(" 12 "));
    EXPECT_EQ(GetProperty(d, 1), Variant::I2(12));
    PutProperty(d, 2, Variant::Utf8("12.345"));
    EXPECT_EQ(GetProperty(d, 2), Variant::Cy({123450}));
    PutProperty(d, 3, Variant::Bool(true));
    EXPECT_EQ(GetProperty(d, 3), Variant::Bool(true));
    PutProperty(d, 3, Variant::Utf8("False"));
    EXPECT_EQ(GetProperty(d, 3), Variant::Bool(false));
    PutProperty(d, DISPID_BACKCOLOR, Variant::Utf8("&HC0C0FF"));
    EXPECT_EQ(GetProperty(d, DISPID_BACKCOLOR), Variant::I4(0xC0C0FF));
    PutProperty(d, DISPID_BACKCOLOR, Variant::Utf8("&H80000005"));
    EXPECT_EQ(GetProperty(d, DISPID_BACKCOLOR), Variant::I4(static_cast<std::int32_t>(0x80000005u)));
    PutProperty(d, 5, Variant::Utf8("second"), {Variant::Utf8("2")});
    EXPECT_EQ(GetProperty(d, 5, {Variant::R8(2.4)}), Variant::Utf8("second"));
    EXPECT_EQ(CallMethod(d, 7, {Variant::I4(2), Variant::I4(3)}), Variant::I4(5));
    EXPECT_EQ(CallMethod(d, 7, {Variant::Utf8("2")}), Variant::I4(2)) << "optional argument left out";
}

TEST(Dispatch, DefaultMemberIsTheTextProperty) {
    auto field = Field::Create();
    PutProperty(field.Get(), DISPID_TEXT, Variant::Utf8("abc"));
    EXPECT_EQ(GetProperty(field.Get(), DISPID_VALUE), Variant::Utf8("abc"));
    PutProperty(field.Get(), DISPID_VALUE, Variant::Utf8(""));
    EXPECT_EQ(GetProperty(field.Get(), DISPID_TEXT), Variant::Utf8(""));
    Variant asText;
    ASSERT_EQ(ChangeType(asText, Variant::Dispatch(ComPtr<IDispatch>(field.Get())), VT_BSTR), S_OK);
    EXPECT_EQ(asText, Variant::Utf8(""));
}

TEST(Dispatch, CallersArgumentsAreNotConverted) {
    auto field = Field::Create();
    for (DispId id : {1, 7}) {
        DispParams params{{Variant::Utf8("12")}};
        Variant result;
        ASSERT_EQ(field->Invoke(id, id == 1 ? kPut : kCall, params, &result, nullptr, nullptr), S_OK);
        EXPECT_EQ(params.args[0], Variant::Utf8("12")) << id;
    }
}

TEST(Dispatch, ByReferenceArgumentIsWrittenThrough) {
    auto field = Field::Create();
    std::int16_t key = 21;
    EXPECT_EQ(CallMethod(field.Get(), 8, {Variant::RefI2(&key)}), Variant::I2(42));
    EXPECT_EQ(key, 42);
    const std::int16_t constant = 5;
    EXPECT_EQ(CallMethod(field.Get(), 8, {Variant::I2(constant)}), Variant::I2(10));
}

TEST(Dispatch, ExceptionInformationOfARefusedSetter) {
    auto field = Field::Create();
    DispParams params{{Variant::I2(300)}};
    ExcepInfo excep;
    ASSERT_EQ(field->Invoke(1, kPut, params, nullptr, &excep, nullptr), DISP_E_EXCEPTION);
    EXPECT_EQ(excep.scode, CTL_E_INVALIDPROPERTYVALUE);
    EXPECT_EQ(excep.description, "MaxLength must be 0-255");
    EXPECT_EQ(excep.helpFile, "ZMTEXT.HLP");
    EXPECT_EQ(excep.helpContext, 1234u);
    EXPECT_EQ(excep.source, "TEST.Field.1");
    EXPECT_EQ(GetProperty(field.Get(), 1), Variant::I2(0)) << "a refused value is not stored";
    EXPECT_EQ(field->Invoke(1, kPut, params, nullptr, nullptr, nullptr), DISP_E_EXCEPTION)
        << "no exception record is needed";
}

// A grid-like object that takes the program's array by reference and marks a row in it.
class Grid final : public DispatchObject<Grid> {
public:
    static const DispatchMap& DispatchMembers() {
        static const DispatchTable<Grid> t = [] {
            DispatchTable<Grid> table;
            table.Property("Array", VT_VARIANT, {}, nullptr,
                           [](Grid& g, DispatchTable<Grid>::Args, const Variant& v) { g.array = v; },
                           94);
            table.Method("Mark", VT_EMPTY, {VT_I4},
                         [](Grid& g, DispatchTable<Grid>::Args a) {
                             *g.array.RefTargetArray()->At({a[0].AsI4(), 3}) = Variant::Utf8("N");
                             return Variant();
                         },
                         103);
            return table;
        }();
        return t.Map();
    }
    Variant array;
};

TEST(Dispatch, ArrayPutByReferenceIsSharedWithTheObject) {
    SafeArray rows({{1, 2}, {0, 3}});
    auto grid = Grid::Create();
    PutPropertyRef(grid.Get(), 94, Variant::RefArray(&rows));
    CallMethod(grid.Get(), 103, {Variant::I4(2)});
    EXPECT_EQ(*rows.At({2, 3}), Variant::Utf8("N"));
    EXPECT_TRUE(rows.At({1, 3})->IsEmpty());

    PutProperty(grid.Get(), 94, Variant::RefArray(&rows));
    EXPECT_EQ(grid->array.Type(), VT_ARRAY | VT_VARIANT) << "a plain put takes a copy";
}

struct RaiseRow {
    const char* name;
    std::function<void(IDispatch*)> call;
    long number;
    const char* description;
};

TEST(Dispatch, CallingSideRaisesTheRuntimeNumbers) {
    const RaiseRow rows[] = {
        {"setter error", [](IDispatch* d) { PutProperty(d, 1, Variant::I2(300)); }, 380, "MaxLength must be 0-255"},
        {"type mismatch", [](IDispatch* d) { PutProperty(d, 1, Variant::Utf8("x")); }, 13, "Type mismatch"},
        {"overflow", [](IDispatch* d) { PutProperty(d, 1, Variant::I4(1 << 20)); }, 6, "Overflow"},
        {"unknown member", [](IDispatch* d) { GetProperty(d, 99); }, 438, "Object doesn't support this property or method"},
        {"unknown name", [](IDispatch* d) { IdOfName(d, "Nope"); }, 438, "Object doesn't support this property or method"},
        {"wrong count", [](IDispatch* d) { CallMethod(d, 6, {Variant::I2(1)}); }, 450, "Wrong number of arguments or invalid property assignment"},
        {"argument left out", [](IDispatch* d) { CallMethod(d, 7, {Variant::Missing()}); }, 449, "Argument not optional"},
        {"read-only", [](IDispatch* d) { PutProperty(d, 4, Variant::I4(1)); }, 383, "Set not supported (read-only property)"},
        {"index out of range", [](IDispatch* d) { GetProperty(d, 5, {Variant::I4(9)}); }, 9, "Subscript out of range"},
        {"C++ exception in a member", [](IDispatch* d) { CallMethod(d, 9); }, -2147467259, "boom"},
        {"runtime error in a member", [](IDispatch* d) { CallMethod(d, 10); }, 5, "Invalid procedure call or argument"},
        {"no object", [](IDispatch*) { GetProperty(nullptr, 1); }, 91, "Object variable or With block variable not set"},
    };
    for (const auto& row : rows) {
        auto field = Field::Create();
        try {
            row.call(field.Get());
            ADD_FAILURE() << row.name << ": nothing raised";
        } catch (const win::RuntimeError& e) {
            EXPECT_EQ(e.Number(), row.number) << row.name;
            EXPECT_EQ(e.Description(), row.description) << row.name;
        }
    }
}

TEST(Dispatch, StatusToRuntimeNumber) {
    const std::pair<HResult, long> rows[] = {
        {DISP_E_TYPEMISMATCH, 13}, {DISP_E_OVERFLOW, 6}, {CTL_E_INVALIDPROPERTYVALUE, 380},
        {CTL_E_INVALIDPICTURE, 481}, {REGDB_E_CLASSNOTREG, 429}, {E_NOINTERFACE, 430},
        {DISP_E_BADINDEX, 9}, {E_FAIL, -2147467259}};
    for (const auto& [hr, number] : rows) EXPECT_EQ(RuntimeNumber(hr), number) << hr;
    EXPECT_EQ(RuntimeText(E_FAIL), "Automation error");
}

}  // namespace
}  // namespace com
