#include "tests/support/output_file.h"

#include <fstream>
#include <sstream>

namespace horalux::testing {

std::string OutputFile::Text() const {
  std::ifstream in(path_, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace horalux::testing
