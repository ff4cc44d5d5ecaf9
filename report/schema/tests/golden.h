// The checked-in expectation of the filled description, and the dump of a description, as lines.
#pragma once

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "report/schema/schema_dump.h"

namespace schema::testing {

inline std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

inline std::vector<std::string> GoldenLines() {
    std::ifstream in(ZM_SCHEMA_GOLDEN, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return SplitLines(text.str());
}

inline std::vector<std::string> DumpLines(const SchemaDescription& description) {
    std::ostringstream out;
    WriteSchemaDump(description, out);
    return SplitLines(out.str());
}

inline std::vector<std::string> Columns(const std::string& line) {
    std::vector<std::string> columns;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
        columns.push_back(line.substr(start, tab - start));
    }
    columns.push_back(line.substr(start));
    return columns;
}

}  // namespace schema::testing
