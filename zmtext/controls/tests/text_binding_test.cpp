// The text field bound to a column: the column shown as its text or its raw data as DataProperty
// says, loads that are no edits, and the form written back into the column.
#include "zmtext/controls/tests/text_test_support.h"
#include "zmtext/module/tests/fake_cursor.h"

namespace zmtext::testing {
namespace {

class TextBinding : public TextControlTest {
protected:
    void SetUp() override {
        TextControlTest::SetUp();
        source_ = std::make_shared<Source>();
        source_->columns = {"Codigo", "Telefone"};
        source_->rows = {{com::Variant::I4(1), com::Variant::Utf8("12-34")}, {com::Variant::I4(2), com::Variant::Utf8("5678")}};
        cursor_ = Cursor::Create(source_, false, 0);
    }
    void Bind(CZMTextCtrl& c) {
        auto* cursor = static_cast<ICursor*>(static_cast<ICursorMove*>(cursor_.Get()));
        Put(c, "DataSource", com::Variant::Unknown(com::ComPtr<com::IUnknown>(static_cast<com::IUnknown*>(cursor))));
    }
    std::string Pending() const {
        if (source_->pending.empty()) return "(none)";
        return Shown(source_->pending.back().second);
    }

    std::shared_ptr<Source> source_;
    com::ComPtr<Cursor> cursor_;
};

TEST_F(TextBinding, TheColumnLoadsAsTextOrRawDataAndIsWrittenBackInTheSameForm) {
    struct Row {
        std::int16_t dataProperty;
        const char* raw;       // after loading row 0
        const char* written;   // what goes into the column after RawData 9876
    };
    const Row rows[] = {{0, "1234", "98-76"}, {1, "12-34", "9876"}};   // raw data is taken as it comes
    int i = 0;
    for (const Row& r : rows) {
        auto c = Add("Tel" + std::to_string(i), i);
        Put(*c, "Mask", S("%%-%%"));
        Put(*c, "DataProperty", com::Variant::I2(r.dataProperty));
        Put(*c, "DataField", S("telefone"));
        Bind(*c);
        EXPECT_EQ(Raw(*c), r.raw) << r.dataProperty;
        EXPECT_EQ(Shown(GetProperty(c.Get(), "DataChanged")), "False") << "a load is no edit";
        Put(*c, "RawData", S("9876"));
        EXPECT_EQ(Shown(GetProperty(c.Get(), "DataChanged")), "True");
        EXPECT_EQ(c->WriteColumn(), com::S_OK);
        EXPECT_EQ(Pending(), r.written) << r.dataProperty;
        Put(*c, "DataSource", com::Variant());
        ++i;
    }
}

TEST_F(TextBinding, DataChangedIsSetByTheHostOnlyWhenItChanges) {
    auto c = Add("Txt");
    Put(*c, "DataChanged", com::Variant::Bool(true));
    EXPECT_EQ(Shown(GetProperty(c.Get(), "DataChanged")), "True");
    Put(*c, "DataChanged", com::Variant::I2(0));
    EXPECT_EQ(Shown(GetProperty(c.Get(), "DataChanged")), "False");
    EXPECT_TRUE(c->DataFieldChoices().empty()) << "no data source on the site: no column names";
}

}  // namespace
}  // namespace zmtext::testing
