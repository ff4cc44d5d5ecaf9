#include "report/core/rights.h"

#include <array>
#include <cstdlib>
#include <optional>

#include "platform/dao/dao.h"
#include "platform/forms/fieldtext.h"
#include "platform/forms/services.h"
#include "report/core/state.h"

namespace report {

namespace {

struct Refusal {
    long width;
    const char* text;
};

constexpr Refusal kNoRow = {25, "Aplicação Não Autorizada !"};

struct ActionRight {
    const char* letter;
    const char* field;
    Refusal refusal;
};

constexpr std::array<ActionRight, 5> kActions = {{
    {"I", "Incluir", {25, "Inclusão Não Autorizada !"}},
    {"A", "Alterar", {27, "Alteração Não Autorizada !"}},
    {"E", "Excluir", {25, "Exclusão Não Autorizada !"}},
    {"C", "Consulta", {26, "Consulta Não Autorizada !"}},
    {"P", "Imprime", {27, "Impressão Não Autorizada !"}},
}};

// The comparison of a field with a text: nothing (unknown) when the field holds Null.
std::optional<bool> FieldEquals(const dao::Value& value, const std::string& text) {
    if (value.IsNull()) return std::nullopt;
    return value.ToText() == text;
}

// Characters, not bytes: the name is UTF-8.
long CharacterCount(const std::string& text) {
    long count = 0;
    for (unsigned char c : text) count += (c & 0xC0) != 0x80 ? 1 : 0;
    return count;
}

std::string WithoutTrailingBlanks(std::string text) {
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

bool Refuse(const Refusal& refusal, const std::string& Mostra) {
    // A name holding Null counts as "": the refusal itself must not fail.
    const dao::Value name = (*TabelaUsuario)("Usuario").GetValue();
    const std::string stored = forms::TextOf(name);
    const long blanks = CentringBlanks(refusal.width, CharacterCount(WithoutTrailingBlanks(stored)));
    if (Mostra == "S") {
        forms::MsgBox(std::string(static_cast<std::size_t>(blanks), ' ') + stored + "\n\n" + refusal.text,
                      forms::mb::Exclamation, "Mensagem");
    }
    return false;
}

}  // namespace

long CentringBlanks(long width, long nameLength) {
    const long difference = std::labs(width - nameLength);
    const long half = difference / 2;
    if (difference % 2 == 0) return half;
    return half % 2 == 0 ? half : half + 1;
}

bool IsAdministrator() {
    if (TabelaUsuario->RecordCount() == 0) return true;
    return FieldEquals((*TabelaUsuario)("Nivel").GetValue(), "A") == true;
}

bool VerificaAutorizacao(std::string CodAplicacao, std::string Acao, std::string Mostra) {
    if (IsAdministrator()) return true;
    TabelaRelacao->SetIndex("IndCodUsuarioCodAplicacao");
    TabelaRelacao->Seek("=", {(*TabelaUsuario)("CodUsuario").GetValue(), dao::Value(CodAplicacao)});
    if (TabelaRelacao->NoMatch()) return Refuse(kNoRow, Mostra);
    for (const ActionRight& action : kActions) {
        if (Acao != action.letter) continue;
        if (FieldEquals((*TabelaRelacao)(action.field).GetValue(), "S") == false) return Refuse(action.refusal, Mostra);
        return true;
    }
    return true;
}

}  // namespace report
