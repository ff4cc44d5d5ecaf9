// A text dump of the filled schema description, for tests and for checking the description
// against a store by eye or by diff.
//
// One line per table and per field entry, tab-separated, tables in driver order (g = 0..9,
// t = 1..QtdeTabelas(g)), each table's line followed by its fields k = 1..QtdeCampos(g, t):
//   T g t NomeTabela QtdeCampos
//   F g t k NomeCampo TipoCampo TamanhoCampo NomePropriedade TipoPropriedade ValorPropriedade
//     VerificaPropriedade
// A value is written E (Empty), I2:n (Integer), I4:n (Long) or S:text.
#pragma once

#include <ostream>
#include <string>

#include "report/schema/schema_description.h"

namespace schema {

// The value's dump form: "E", "I2:15", "I4:4", "S:Short Date".
std::string DumpValue(const SchemaValue& value);

void WriteSchemaDump(const SchemaDescription& description, std::ostream& out);

}  // namespace schema
