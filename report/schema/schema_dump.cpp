#include "report/schema/schema_dump.h"

namespace schema {
namespace {

// Numbers go through ValueText (std::to_chars), never through the stream's locale.
std::string Number(int value) { return ValueText(std::int32_t{value}); }

}  // namespace

std::string DumpValue(const SchemaValue& value) {
    if (std::holds_alternative<std::monostate>(value)) return "E";
    if (std::holds_alternative<std::int16_t>(value)) return "I2:" + ValueText(value);
    if (std::holds_alternative<std::int32_t>(value)) return "I4:" + ValueText(value);
    return "S:" + ValueText(value);
}

void WriteSchemaDump(const SchemaDescription& d, std::ostream& out) {
    for (int g = 0; g <= kMaxDatabase; ++g) {
        for (int t = 1; t <= d.QtdeTabelas(g); ++t) {
            out << "T\t" << Number(g) << '\t' << Number(t) << '\t' << d.NomeTabela(g, t) << '\t'
                << Number(d.QtdeCampos(g, t)) << '\n';
            for (int k = 1; k <= d.QtdeCampos(g, t); ++k) {
                const FieldEntry& f = d.Campo(g, t, k);
                out << "F\t" << Number(g) << '\t' << Number(t) << '\t' << Number(k) << '\t'
                    << f.nomeCampo << '\t' << f.tipoCampo << '\t' << Number(f.tamanhoCampo) << '\t'
                    << f.nomePropriedade << '\t' << DumpValue(f.tipoPropriedade) << '\t'
                    << DumpValue(f.valorPropriedade) << '\t' << Number(f.verificaPropriedade)
                    << '\n';
            }
        }
    }
}

}  // namespace schema
