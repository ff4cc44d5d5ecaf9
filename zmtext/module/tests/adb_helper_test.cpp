// The data-binding base against a data source written here: binding through the container
// site, column lookup, loading on row changes, write-back before the row changes or is updated,
// the end of the cursor, and the DataField column list.
#include <gtest/gtest.h>

#include <memory>

#include "zmtext/module/adb_helper.h"
#include "zmtext/module/tests/fake_cursor.h"

namespace zmtext {
namespace {

using namespace com;
using testing::Cursor;
using testing::kDataSourceId;
using testing::Site;
using testing::Source;

// A bound field as an edit control is one: its text, DataField, DataSource and DataProperty.
class Field final : public Object<Field, IUnknown>, public ADBHelper {
public:
    Field() : ADBHelper(*static_cast<IUnknown*>(this)) {}

    Bstr GetDataField() override { return Bstr::FromAnsi(dataField); }
    ICursor* GetCursor() override { return cursor.Get(); }
    void SetCursor(ICursor* c) override { cursor = ComPtr<ICursor>(c); }
    Bstr GetBoundText() override { return Bstr::FromAnsi(text); }
    void SetBoundText(const std::string& t) override {
        log.push_back(std::string(IsLoading() ? "load " : "set ") + t);
        text = t;
    }
    ZMValueKind GetValueKind() override { return kind; }
    Bstr GetBoundRawText() override { return Bstr::FromAnsi("raw:" + text); }
    void SetBoundRawText(const std::string& t) override { SetBoundText("raw:" + t); }
    void SetBoundValue(const Variant& v) override {
        if (kind != ZMValueKind::Value) return ADBHelper::SetBoundValue(v);
        value = v;
        log.push_back("value " + std::to_string(v.Type()));
    }
    Variant GetBoundValue(std::int32_t columnType) override {
        log.push_back("get value for " + std::to_string(columnType));
        return value;
    }
    IUnknown* BindingSite() override { return site.Get(); }

    void Type(const std::string& t) {
        text = t;
        SetDataChanged(true);
    }

    std::string dataField = "codigo";
    ComPtr<ICursor> cursor;
    std::string text;
    ZMValueKind kind = ZMValueKind::Text;
    Variant value;
    ComPtr<IUnknown> site;
    std::vector<std::string> log;

protected:
    HResult OnQueryInterface(const Guid& iid, void** out) override { return QueryBindingInterface(iid, out); }
};

class Binding : public ::testing::Test {
protected:
    Binding() : source_(std::make_shared<Source>()) {
        source_->columns = {"Codigo", "Nome", "Descri\xE7\xE3o"};
        source_->rows = {{Variant::I4(1), Variant::Utf8("Loja Centro"), Variant::Utf8("a")},
                         {Variant::I4(2), Variant::Utf8("Loja Norte"), Variant::Utf8("b")}};
        cursor_ = Cursor::Create(source_, false, 0);
        field_ = Field::Create();
        field_->site = ComPtr<IUnknown>(static_cast<IUnknown*>(Site::Create(ComPtr<ICursor>(static_cast<ICursor*>(static_cast<ICursorMove*>(cursor_.Get())))).Get()));
    }
    ~Binding() override {
        if (field_->IsAdvised()) Unbind();
    }

    bool Bind() {
        ComPtr<IBoundObject> bound = ComPtr<IUnknown>(static_cast<IUnknown*>(field_.Get())).As<IBoundObject>();
        bool owner = false;
        EXPECT_EQ(bound->OnSourceChanged(kDataSourceId, true, &owner), S_OK);
        return owner;
    }
    void Unbind() {
        bool owner = false;
        field_.As<IBoundObject>()->OnSourceChanged(kDataSourceId, false, &owner);
    }
    std::string Stored(std::size_t row, std::size_t column) const {
        Variant t;
        ChangeType(t, source_->rows[row][column], VT_BSTR);
        return t.AsStr().ToUtf8();
    }

    std::shared_ptr<Source> source_;
    ComPtr<Cursor> cursor_;
    ComPtr<Field> field_;
};

TEST_F(Binding, BindingAdvisesAndLoadsTheColumnFoundWithoutRegardToCase) {
    const std::pair<const char*, const char*> rows[] = {
        {"codigo", "1"}, {"CODIGO", "1"}, {"nome", "Loja Centro"}, {"DESCRI\xC7\xC3O", "a"}, {"Cidade", ""}};
    for (const auto& [dataField, expected] : rows) {
        SCOPED_TRACE(dataField);
        field_->dataField = dataField;
        field_->text = "old";
        field_->SetDataChanged(true);
        EXPECT_TRUE(Bind());
        EXPECT_TRUE(field_->IsAdvised());
        EXPECT_EQ(field_->text, expected);
        EXPECT_FALSE(field_->DataChanged());
        EXPECT_FALSE(field_->IsLoading());
    }
    EXPECT_EQ(source_->notify->Sinks().size(), 1u) << "re-binding unadvises first";
}

TEST_F(Binding, RowChangesLoadAndTheEndOfTheCursorGivesAnEmptyText) {
    Bind();
    source_->MoveTo(1);
    EXPECT_EQ(field_->text, "2");
    source_->MoveTo(2);   // past the last row
    EXPECT_EQ(field_->text, "");
    EXPECT_EQ(field_->log.back(), "load ");
    EXPECT_TRUE(source_->calls.empty()) << "an unedited field writes nothing";
}

TEST_F(Binding, APendingEditIsWrittenIntoItsRowBeforeTheRowChanges) {
    Bind();
    field_->Type("99");
    source_->MoveTo(1);
    EXPECT_EQ(source_->calls, (std::vector<std::string>{"BeginUpdate", "SetColumn Codigo", "Update"}));
    EXPECT_EQ(Stored(0, 0), "99");
    EXPECT_EQ(field_->text, "2") << "then the new row is loaded";
    EXPECT_FALSE(field_->DataChanged());
}

TEST_F(Binding, AnEditJoinsAnUpdateTheDataSourceHasBegun) {
    Bind();
    source_->editMode = DBEDITMODE_UPDATE;
    field_->Type("77");
    source_->MoveTo(1);
    EXPECT_EQ(source_->calls, (std::vector<std::string>{"SetColumn Codigo"}));
    ASSERT_EQ(source_->pending.size(), 1u);
    EXPECT_EQ(source_->pending[0].second, Variant::Utf8("77"));
}

TEST_F(Binding, AFailedWriteAtARowChangeUndoesTheUpdateAndKeepsTheEdit) {
    Bind();
    source_->setColumnStatus = E_ACCESSDENIED;
    field_->Type("55");
    const DBNotifyReason reason{DBREASON_MODIFIED, {}, {}};
    EXPECT_EQ(field_->SyncBefore(DBEVENT_CURRENT_ROW_CHANGED, {&reason, 1}), E_ACCESSDENIED);
    EXPECT_EQ(source_->calls, (std::vector<std::string>{"BeginUpdate", "SetColumn Codigo", "Cancel"}));
    EXPECT_EQ(source_->editMode, DBEDITMODE_NONE);
    EXPECT_TRUE(field_->DataChanged());
    EXPECT_EQ(Stored(0, 0), "1");
}

TEST_F(Binding, WhichNotificationsWriteAndWhichReload) {
    struct Row {
        const char* name;
        std::uint32_t events;
        std::uint32_t reason;
        bool dirty;
        bool writes;
        bool reloads;
    } rows[] = {
        {"insert, edited", 0, DBREASON_INSERTED, true, true, true},
        {"insert, unedited", 0, DBREASON_INSERTED, false, false, true},
        {"row data modified, edited", DBEVENT_CURRENT_ROW_DATA_CHANGED, DBREASON_MODIFIED, true, true, false},
        {"row data modified, unedited", DBEVENT_CURRENT_ROW_DATA_CHANGED, DBREASON_MODIFIED, false, false, false},
        {"modified without data change", 0, DBREASON_MODIFIED, true, false, false},
        {"add new to the set of rows", DBEVENT_CURRENT_ROW_DATA_CHANGED | DBEVENT_SET_OF_ROWS_CHANGED, DBREASON_ADDNEW, true, false, true},
        {"add new without the set changing", DBEVENT_CURRENT_ROW_DATA_CHANGED, DBREASON_ADDNEW, true, false, false},
        {"reload of the row's data", DBEVENT_CURRENT_ROW_DATA_CHANGED, DBREASON_RELOAD, false, false, true},
        {"reload without data change", 0, DBREASON_RELOAD, false, false, false},
    };
    Bind();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        source_->calls.clear();
        field_->log.clear();
        if (row.dirty) field_->Type("5");
        source_->editMode = DBEDITMODE_UPDATE;   // the data source's own update takes the value
        source_->Notify(row.events, row.reason, [] {});
        EXPECT_EQ(!source_->calls.empty(), row.writes);
        EXPECT_EQ(!field_->log.empty(), row.reloads);
        if (row.writes) {
            EXPECT_FALSE(field_->DataChanged());
        }
        source_->Commit();
        field_->SetDataChanged(false);
    }
}

TEST_F(Binding, WriteBackOfEachValueKind) {
    Bind();
    field_->text = "abc";
    field_->dataField = "Nome";
    source_->editMode = DBEDITMODE_UPDATE;
    field_->kind = ZMValueKind::Raw;
    ASSERT_EQ(field_->WriteColumn(), S_OK);
    field_->kind = ZMValueKind::Value;
    field_->value = Variant::R8(2.5);
    ASSERT_EQ(field_->WriteColumn(), S_OK);
    ASSERT_EQ(source_->pending.size(), 2u);
    EXPECT_EQ(source_->pending[0].second, Variant::Utf8("raw:abc"));
    EXPECT_EQ(source_->pending[1].second, Variant::R8(2.5));
    EXPECT_EQ(field_->log.back(), "get value for 8") << "the column's data type is passed";

    field_->dataField = "Cidade";
    EXPECT_EQ(field_->WriteColumn(), E_FAIL) << "a column the cursor does not have";
}

TEST_F(Binding, LoadOfEachValueKind) {
    field_->kind = ZMValueKind::Raw;
    Bind();
    EXPECT_EQ(field_->text, "raw:1");
    field_->kind = ZMValueKind::Value;
    field_->UpdateFromCursor();
    EXPECT_EQ(field_->value, Variant::I4(1));
    source_->MoveTo(5);
    EXPECT_TRUE(field_->value.IsEmpty()) << "nothing to read past the end";
}

TEST_F(Binding, DirtyFlagAndUnbinding) {
    Bind();
    auto bound = field_.As<IBoundObject>();
    EXPECT_EQ(bound->IsDirty(kDataSourceId), S_FALSE);
    field_->Type("x");
    EXPECT_EQ(bound->IsDirty(kDataSourceId), S_OK);
    bound.Reset();
    Unbind();
    EXPECT_FALSE(field_->IsAdvised());
    EXPECT_FALSE(field_->cursor);
    EXPECT_TRUE(source_->notify->Sinks().empty());
    // Only the test's own reference is left: binding leaked none.
    field_->AddRef();
    EXPECT_EQ(field_->Release(), 1u);
}

TEST_F(Binding, ACursorWithoutNotificationsIsNotAdvised) {
    class Plain final : public Object<Plain, ICursor> {
    public:
        HResult GetColumnsCursor(const Guid&, IUnknown**, std::uint32_t*) override { return E_NOTIMPL; }
        HResult SetBindings(std::span<const ColumnBinding>) override { return E_NOTIMPL; }
        HResult GetNextRows(std::int64_t, FetchParams*) override { return E_NOTIMPL; }
    };
    auto plain = Plain::Create();
    EXPECT_EQ(field_->AdviseCursor(plain.Get()), E_NOINTERFACE);
    EXPECT_FALSE(field_->IsAdvised());
    field_->SetCursor(plain.Get());
    field_->text = "kept";
    field_->UpdateFromCursor();
    EXPECT_EQ(field_->text, "") << "a cursor that cannot be read gives an empty text";
    EXPECT_EQ(field_->WriteColumn(), E_NOINTERFACE);
    field_->SetCursor(nullptr);
}

TEST_F(Binding, ColumnNamesForTheDataFieldList) {
    source_->columns.push_back("Oculto");
    source_->columns.push_back("");
    for (auto& r : source_->rows) {
        r.push_back(Variant::I4(0));
        r.push_back(Variant::I4(0));
    }
    source_->bindable = {true, true, true, false, true};
    ASSERT_EQ(field_->LoadColumnNames(kDataSourceId), S_OK);
    EXPECT_EQ(field_->ColumnNames(), (std::vector<std::string>{"Codigo", "Nome", "Descri\xE7\xE3o"}));
    ASSERT_EQ(field_->ColumnIds().size(), 3u);
    EXPECT_EQ(field_->ColumnIds()[1].name, "Nome");
    EXPECT_EQ(field_->LoadColumnNames(kDataSourceId + 1), E_INVALIDARG);
    EXPECT_TRUE(field_->ColumnNames().empty());
}

}  // namespace
}  // namespace zmtext
