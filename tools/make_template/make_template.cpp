// Builds the empty cache template Connector.etf from its schema file, at
// build time: make_template SCHEMA.sql OUTPUT.etf
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "outside/jet/dao.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s SCHEMA.sql OUTPUT\n", argv[0]);
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 1;
  }
  std::ostringstream schema;
  schema << in.rdbuf();
  std::remove(argv[2]);  // a template from an earlier build is made again
  olconn97::Status made = olconn97::jet::DBEngine().CreateDatabase(argv[2], schema.str());
  if (!made.ok()) {
    std::fprintf(stderr, "cannot create %s: %s\n", argv[2], made.ToString().c_str());
    return 1;
  }
  return 0;
}
