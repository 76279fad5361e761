#include <cstddef>
#include <iostream>

#include "break/break_command.h"
#include "store/file_system.h"
#include "system/console.h"

int main(int argc, char** argv) {
  vexilo::setNoteProgramName("vexilo-break");
  vexilo::prepareStandardStreams();
  std::ios::sync_with_stdio(false);
  std::cin.rdbuf(vexilo::standardInputBuffer());
  return vexilo::runBreak({argv, static_cast<std::size_t>(argc)}, std::cin, std::cout, std::cerr,
                          vexilo::standardErrorFile());
}
