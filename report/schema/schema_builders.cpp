#include "report/schema/schema_builders.h"

#include <array>
#include <iostream>
#include <mutex>
#include <span>

#include "report/schema/schema_rows.h"

namespace schema {
namespace {

using rows::FieldRow;
using rows::PropertyKind;
using rows::TableSpec;

void DefaultErrorReport(const win::RuntimeError& error, const std::string& tela,
                        const std::string& rotina) {
    std::cerr << "schema: error " << error.Number() << " (" << error.Description() << ") in "
              << tela << " / " << rotina << '\n';
}

struct ReportHook {
    std::mutex mutex;
    ErrorReport report = DefaultErrorReport;
};

ReportHook& Hook() {
    static ReportHook hook;
    return hook;
}

void Report(const win::RuntimeError& error, const std::string& tela, const std::string& rotina) {
    ErrorReport report;
    {
        std::lock_guard lock(Hook().mutex);
        report = Hook().report;
    }
    report(error, tela, rotina);
}

const char* PropertyName(PropertyKind kind) {
    switch (kind) {
        case PropertyKind::Type: return "Type";
        case PropertyKind::SizeText:
        case PropertyKind::SizeInteger: return "Size";
        case PropertyKind::Format: return "Format";
        case PropertyKind::None: break;
    }
    return "";
}

SchemaValue PropertyValue(const rows::PropertyRule& property) {
    switch (property.kind) {
        case PropertyKind::Type: return std::int32_t{property.number};
        case PropertyKind::SizeInteger: return static_cast<std::int16_t>(property.number);
        case PropertyKind::SizeText:
        case PropertyKind::Format: return std::string(property.text);
        case PropertyKind::None: break;
    }
    return {};
}

// One field's entries, name first and check flag last, so that a setter that raises (a slot out of
// range) leaves the entries before it written. Slots the row does not carry (size of a fixed-size
// type, property type other than for "Format", the property of a Memo) are not written and keep
// their empty value.
void WriteField(SchemaDescription& d, int g, int t, int k, const FieldRow& row) {
    d.SetNomeCampo(g, t, k, row.name);
    d.SetTipoCampo(g, t, k, ValueText(std::int32_t{row.type}));
    if (row.type == rows::kText || row.type == rows::kMemo) d.SetTamanhoCampo(g, t, k, row.size);
    if (row.property.kind != PropertyKind::None) {
        d.SetNomePropriedade(g, t, k, PropertyName(row.property.kind));
        if (row.property.kind == PropertyKind::Format) {
            d.SetTipoPropriedade(g, t, k, rows::kTextPropertyType);
        }
        d.SetValorPropriedade(g, t, k, PropertyValue(row.property));
    }
    d.SetVerificaPropriedade(g, t, k, row.enforced ? 1 : 0);
}

void FillTable(SchemaDescription& d, int g, const TableSpec& table) {
    d.SetNomeTabela(g, table.t, table.nomeTabela);
    int k = 0;
    for (const rows::Part& part : table.parts) {
        for (const FieldRow& row : part.rows()) WriteField(d, g, table.t, ++k, row);
    }
    d.SetQtdeCampos(g, table.t, static_cast<std::int16_t>(k));
}

void RunTableBuilder(SchemaDescription& d, int g, const TableSpec& table) {
    if (table.trapLabel == nullptr) {
        FillTable(d, g, table);
        return;
    }
    // A plain try: the schema layer does not link the forms runtime that Trapped belongs to.
    try {
        FillTable(d, g, table);
    } catch (const win::RuntimeError& error) {
        Report(error, table.trapLabel, table.builder);
    }
}

struct DriverList {
    char letter;
    std::span<const TableSpec> (*tables)();
};

// Index = database number g.
constexpr std::array<DriverList, 5> kDrivers{{
    {'P', rows::ProdutoTables},
    {'A', rows::AntigoTables},
    {'B', rows::BackupTables},
    {'M', rows::ModemTables},
    {'T', rows::TransferTables},
}};

void RunDriver(SchemaDescription& d, int g) {
    const auto tables = kDrivers[g].tables();
    for (const TableSpec& table : tables) RunTableBuilder(d, g, table);
    d.SetQtdeTabelas(g, static_cast<std::int16_t>(tables.size()));
}

}  // namespace

void SetErrorReport(ErrorReport report) {
    std::lock_guard lock(Hook().mutex);
    Hook().report = report ? std::move(report) : ErrorReport(DefaultErrorReport);
}

void TabelasProduto(SchemaDescription& description) { RunDriver(description, 0); }
void TabelasAntigo(SchemaDescription& description) { RunDriver(description, 1); }
void TabelasBackup(SchemaDescription& description) { RunDriver(description, 2); }
void TabelasModem(SchemaDescription& description) { RunDriver(description, 3); }
void TabelasTransfer(SchemaDescription& description) { RunDriver(description, 4); }

void RunSchemaDrivers(SchemaDescription& description) {
    TabelasProduto(description);
    TabelasAntigo(description);
    TabelasBackup(description);
    TabelasModem(description);
    TabelasTransfer(description);
}

int DatabaseOfBuilder(std::string_view builder) {
    for (std::size_t g = 0; g < kDrivers.size(); ++g) {
        if (!builder.empty() && builder.front() == kDrivers[g].letter) return static_cast<int>(g);
    }
    return -1;
}

bool RunBuilder(std::string_view builder, SchemaDescription& description) {
    const int g = DatabaseOfBuilder(builder);
    if (g < 0) return false;
    for (const TableSpec& table : kDrivers[g].tables()) {
        if (builder == table.builder) {
            RunTableBuilder(description, g, table);
            return true;
        }
    }
    return false;
}

}  // namespace schema
