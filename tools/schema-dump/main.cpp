// schema-dump: fills the schema description as the upgrade does and prints it, one tab-separated
// line per table and per field entry (format in report/schema/schema_dump.h).
#include <iostream>

#include "report/schema/schema_builders.h"
#include "report/schema/schema_dump.h"

int main(int argc, char** argv) {
    if (argc > 1) {
        std::cerr << "usage: " << argv[0] << "\n"
                  << "Prints the built-in schema description of the five store databases.\n";
        return 2;
    }
    schema::SchemaDescription description;
    schema::RunSchemaDrivers(description);
    schema::WriteSchemaDump(description, std::cout);
    std::cout.flush();
    return std::cout ? 0 : 1;
}
