// The five schema drivers and the table builders that fill the schema description.
//
// A driver runs its database's builders in ascending table number, then stores the database's
// table count. A builder writes, for its own table only: NomeTabela; then per field, in ascending
// k, the name, type, size (Text and Memo only), property name, property type ("Format" only),
// property value and check flag; last QtdeCampos. Because QtdeCampos is written last, a builder
// stopped half-way leaves the table's previous count in place.
//
// Builders store constants and raise nothing of their own; an error raised while one runs passes
// to the driver's caller (the upgrade's trap), except in the builder of table NotaFiscal, which
// reports it through the error report hook with its own labels and returns, so the driver goes on
// with the next builder.
//
// Every driver and builder fills the program-wide description unless given another one.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/win/error.h"
#include "report/schema/schema_description.h"

namespace schema {

// Receives an error that a trapping builder caught, with the window label (`Tela`) and routine
// label (`Rotina`) it reports under. The program connects it to its common error routine.
using ErrorReport =
    std::function<void(const win::RuntimeError& error, const std::string& tela, const std::string& rotina)>;

// Replaces the program-wide hook; an empty function restores the default, which writes the
// error and its labels to standard error so that nothing is lost before the hook is connected.
void SetErrorReport(ErrorReport report);

void TabelasProduto(SchemaDescription& description = ProgramSchema());
void TabelasAntigo(SchemaDescription& description = ProgramSchema());
void TabelasBackup(SchemaDescription& description = ProgramSchema());
void TabelasModem(SchemaDescription& description = ProgramSchema());
void TabelasTransfer(SchemaDescription& description = ProgramSchema());

// Runs the five drivers in the upgrade's order: Produto, Antigo, Backup, Modem, Transfer.
void RunSchemaDrivers(SchemaDescription& description = ProgramSchema());

// Runs one builder by its name ("P47NotaFiscal", "T14UltimaVenda"); false when no builder has
// that name.
bool RunBuilder(std::string_view builder, SchemaDescription& description = ProgramSchema());

// The database number (0..4) that a driver's builders write, by the builder's leading letter;
// -1 for any other letter.
int DatabaseOfBuilder(std::string_view builder);

}  // namespace schema
